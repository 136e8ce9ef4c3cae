#include "irc/IrcMessage.h"

namespace pell::irc {

namespace {

std::string_view cut(std::string_view remainder)
{
    return remainder.substr(0, IrcMessage::kRemainderLimit);
}

} // namespace

void IrcMessage::Tokenize(std::string_view line)
{
    SenderNick.clear();
    SenderAddress.clear();
    Command.clear();
    Content.clear();

    std::string_view rest = line;

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
