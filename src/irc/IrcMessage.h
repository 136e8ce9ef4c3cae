#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pell::irc {

// One received server line, split into sender, command and 30 positional tokens:
// 0 the prefix, 1 the command, 2.. the parameters (the trailing one without its ":").
// A line may start with message tags ("@time=...;msgid=... "): they are kept apart, and
// the rest of the line is read exactly as a line without them.
// One instance is reused for every line, so Tokenize clears what the last line left.
struct IrcMessage {
    static constexpr int kTokenCount = 30;
    // A remainder taken after a separator keeps at most this many characters.
    static constexpr std::size_t kRemainderLimit = 512;
    // The most a tag section may take, its "@" and the blank after it included; a
    // longer one is dropped whole.
    static constexpr std::size_t kTagLimit = 8191;

    std::array<std::string, kTokenCount> Tokens;
    std::string SenderNick;
    std::string SenderAddress;
    std::string Command;
    std::string Content;
    // The tag section without its "@" ("time=...;msgid=..."); empty when the line has
    // none, or one that is malformed or too long (it is dropped, the line is still read).
    std::string Tags;

    // The line without its line end. Parameters beyond the 28th are dropped.
    void Tokenize(std::string_view line);

    // Whether the line carries the tag, and its value with the escapes undone (empty for
    // a tag without a value, and for an absent one).
    bool HasTag(std::string_view key) const;
    std::string Tag(std::string_view key) const;
    // The value as sent, escapes and all, without a copy; valid until the next line.
    std::optional<std::string_view> RawTag(std::string_view key) const;
    // True when the text is a tag section as the format allows it: "key[=value]" items
    // split by ";", keys of letters, digits, "-", "." and "/" after an optional "+".
    static bool ValidTags(std::string_view tags);

    const std::string& operator[](int index) const { return Tokens[static_cast<std::size_t>(index)]; }

private:
    int used_ = kTokenCount; // tokens that may hold text from the previous line
};

} // namespace pell::irc
