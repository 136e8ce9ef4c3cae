#include "irc/IrcMessage.h"

#include <algorithm>
#include <optional>

namespace pell::irc {

namespace {

std::string_view cut(std::string_view remainder)
{
    return remainder.substr(0, IrcMessage::kRemainderLimit);
}

bool keyCharacter(char c)
{
    const char lower = static_cast<char>(c | 0x20);
    return (lower >= 'a' && lower <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '/';
}

// The raw value of the first item whose key is `key`.
std::optional<std::string_view> valueIn(std::string_view tags, std::string_view key)
{
    while (!tags.empty()) {
        const std::size_t end = std::min(tags.find(';'), tags.size());
        const std::string_view item = tags.substr(0, end);
        const std::size_t equals = std::min(item.find('='), item.size());
        if (item.substr(0, equals) == key)
            return item.substr(std::min(equals + 1, item.size()));
        tags.remove_prefix(std::min(end + 1, tags.size()));
    }
    return std::nullopt;
}

} // namespace

bool IrcMessage::ValidTags(std::string_view tags)
{
    // One pass over the bytes: this runs for every tagged line.
    bool inKey = true;
    std::size_t keyLength = 0; // key characters so far, a leading "+" not counted
    bool plus = false;         // the key began with "+"
    for (const char c : tags) {
        if (c == ';') {
            if (inKey && plus && keyLength == 0)
                return false; // a "+" alone; an empty item (";;", a trailing ";") is let pass
            inKey = true;
            keyLength = 0;
            plus = false;
        } else if (!inKey) {
            if (c == '\0')
                return false;
        } else if (c == '=') {
            if (keyLength == 0)
                return false;
            inKey = false;
        } else if (keyCharacter(c)) {
            ++keyLength;
        } else if (c != '+' || keyLength != 0 || plus) {
            return false;
        } else {
            plus = true;
        }
    }
    return !(inKey && plus && keyLength == 0);
}

bool IrcMessage::HasTag(std::string_view key) const
{
    return RawTag(key).has_value();
}

std::optional<std::string_view> IrcMessage::RawTag(std::string_view key) const
{
    return Tags.empty() ? std::nullopt : valueIn(Tags, key);
}

std::string IrcMessage::Tag(std::string_view key) const
{
    const auto raw = RawTag(key);
    std::string value;
    if (!raw)
        return value;
    value.reserve(raw->size());
    for (std::size_t i = 0; i < raw->size(); ++i) {
        if ((*raw)[i] != '\\') {
            value += (*raw)[i];
            continue;
        }
        if (++i == raw->size())
            break; // a lone backslash at the end is dropped
        switch ((*raw)[i]) {
        case ':': value += ';'; break;
        case 's': value += ' '; break;
        case 'r': value += '\r'; break;
        case 'n': value += '\n'; break;
        default: value += (*raw)[i]; break; // "\\" and any other escaped character
        }
    }
    return value;
}

void IrcMessage::Tokenize(std::string_view line)
{
    SenderNick.clear();
    SenderAddress.clear();
    Command.clear();
    Content.clear();
    Tags.clear();

    std::string_view rest = line;
    // Tags. The section ends at the first blank, whatever it holds, so a malformed or
    // over-long one is dropped without moving the rest of the line.
    if (!rest.empty() && rest.front() == '@') {
        const std::size_t blank = rest.find(' ');
        const std::string_view section = rest.substr(1, blank == std::string_view::npos ? blank : blank - 1);
        if (blank != std::string_view::npos && blank + 1 <= kTagLimit && ValidTags(section))
            Tags.assign(section);
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }

    // Prefix. A line that is only a prefix has no blank: the prefix stays empty and the
    // whole line becomes the command, which nothing recognises.
    Tokens[0].clear();
    if (!rest.empty() && rest.front() == ':') {
        const std::size_t blank = rest.find(' ');
        if (blank != std::string_view::npos) {
            const std::string_view prefix = rest.substr(1, blank - 1);
            Tokens[0].assign(prefix);
            const std::size_t bang = prefix.find('!');
            if (bang != std::string_view::npos) {
                SenderNick.assign(prefix.substr(0, bang));
                SenderAddress.assign(prefix.substr(bang + 1));
            } else {
                SenderAddress.assign(prefix);
            }
            rest = cut(rest.substr(blank + 1));
        } else {
            rest = cut(rest);
        }
    }

    const std::size_t blank = rest.find(' ');
    if (blank != std::string_view::npos) {
        Command.assign(rest.substr(0, blank));
        rest = cut(rest.substr(blank + 1));
    } else {
        Command.assign(rest);
        rest = {};
    }
    Tokens[1] = Command;
    Content.assign(rest);

    int i = 2;
    while (!rest.empty() && i < kTokenCount) {
        if (rest.front() == ':') {
            Tokens[static_cast<std::size_t>(i)].assign(rest.substr(1));
            rest = {};
        } else if (const std::size_t space = rest.find(' '); space != std::string_view::npos) {
            Tokens[static_cast<std::size_t>(i)].assign(rest.substr(0, space));
            rest = cut(rest.substr(space + 1));
        } else {
            Tokens[static_cast<std::size_t>(i)].assign(rest);
            rest = {};
        }
        ++i;
    }
    for (int j = i; j < used_; ++j)
        Tokens[static_cast<std::size_t>(j)].clear();
    used_ = i;
}

} // namespace pell::irc
