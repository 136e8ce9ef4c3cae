#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pell::irc {

// One received server line, split into sender, command and 30 positional tokens:
// 0 the prefix, 1 the command, 2.. the parameters (the trailing one without its ":").
// One instance is reused for every line, so Tokenize clears what the last line left.
struct IrcMessage {
    static constexpr int kTokenCount = 30;
    // A remainder taken after a separator keeps at most this many characters.
    static constexpr std::size_t kRemainderLimit = 512;

    std::array<std::string, kTokenCount> Tokens;
    std::string SenderNick;
    std::string SenderAddress;
    std::string Command;
    std::string Content;

    // The line without its line end. Parameters beyond the 28th are dropped.
    void Tokenize(std::string_view line);

    const std::string& operator[](int index) const { return Tokens[static_cast<std::size_t>(index)]; }

private:
    int used_ = kTokenCount; // tokens that may hold text from the previous line
};

} // namespace pell::irc
