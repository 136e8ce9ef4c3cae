#include "irc/IrcCtcp.h"

#include "irc/Client.h"

#include <algorithm>

namespace pell::irc {

CtcpText SplitCtcp(std::string_view text)
{
    CtcpText ctcp;
    const std::size_t length = text.size();
    const std::size_t blank = text.find(' ');
    if (blank != std::string_view::npos) {
        ctcp.Command = text.substr(1, blank - 1);
        if (length >= blank + 2)
            ctcp.Args = text.substr(blank + 1, length - blank - 2);
    } else if (length >= 2) {
        ctcp.Command = text.substr(1, length - 2);
    }
    return ctcp;
}

CtcpWord CtcpWordOf(std::string_view command)
{
    struct Entry {
        std::string_view word;
        CtcpWord value;
    };
    static constexpr Entry kWords[] = {
        {"ACTION", CtcpWord::Action},     {"SOUND", CtcpWord::Sound},
        {"PING", CtcpWord::Ping},         {"FINGER", CtcpWord::Finger},
        {"USERINFO", CtcpWord::UserInfo}, {"VERSION", CtcpWord::Version},
        {"CLIENTINFO", CtcpWord::ClientInfo}, {"TIME", CtcpWord::Time},
        {"ERROR", CtcpWord::Error},       {"DCC", CtcpWord::Dcc},
    };
    for (const Entry& entry : kWords)
        if (entry.word == command)
            return entry.value;
    return CtcpWord::Other;
}

std::vector<std::string_view> SplitDccWords(std::string_view args)
{
    // Every word ends at a blank; the one after the last blank ends at the end.
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t blank = args.find(' ', start);
        if (blank == std::string_view::npos) {
            words.push_back(args.substr(start));
            return words;
        }
        words.push_back(args.substr(start, blank - start));
        start = blank + 1;
    }
}

std::vector<std::string_view> JoinQuotedDccName(std::vector<std::string_view> words)
{
    if (words.size() < 3 || words[1].size() < 1 || words[1].front() != '"')
        return words;
    for (std::size_t last = 1; last < words.size(); ++last) {
        const std::string_view word = words[last];
        if (word.size() >= (last == 1 ? 2u : 1u) && word.back() == '"') {
            // The words lie in one text, so the name is the span from the first quote to the last.
            const char* begin = words[1].data() + 1;
            const char* end = word.data() + word.size() - 1;
            std::vector<std::string_view> joined{words[0], std::string_view(begin, static_cast<std::size_t>(end - begin))};
            joined.insert(joined.end(), words.begin() + static_cast<std::ptrdiff_t>(last) + 1, words.end());
            return joined;
        }
    }
    return words;
}

std::string CtcpTimeText(std::time_t moment)
{
    std::tm local{};
    localtime_r(&moment, &local);
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%x %X", &local);
    return "Ortszeit ist " + std::string(buffer, length);
}

std::string CtcpPingEcho(std::string_view args)
{
    std::string echo(args);
    echo.erase(std::remove(echo.begin(), echo.end(), '\x01'), echo.end());
    return echo;
}

// :bob!bob@host PRIVMSG me :\x01VERSION\x01
void Client::ctcpRequest(User* user)
{
    const IrcMessage& m = message_;
    const CtcpText ctcp = SplitCtcp(m[3]);
    Channel* channel = Channels.Get(m[2]);
    const CtcpWord word = CtcpWordOf(ctcp.Command);
    if (word == CtcpWord::Action) {
        events_.OnAction(user, channel, std::string(ctcp.Args));
        return;
    }
    if (word == CtcpWord::Dcc) {
        dccOffer(ctcp.Args);
        return;
    }
    const std::string command(ctcp.Command);
    const std::string args(ctcp.Args);
    bool suppress = false;
    events_.OnCtcpQuery(user, channel, command, args, suppress);
    if (suppress || lineReset())
        return;
    std::string reply;
    switch (word) {
    case CtcpWord::Ping: reply = CtcpPingEcho(args); break;
    case CtcpWord::Finger: reply = Replies.Finger; break;
    case CtcpWord::UserInfo: reply = Replies.UserInfo; break;
    case CtcpWord::Version: reply = Replies.Version; break;
    case CtcpWord::ClientInfo: reply = Replies.ClientInfo; break;
    case CtcpWord::Time: reply = CtcpTimeText(TimeNow()); break;
    default: return; // reported only
    }
    if (replyLimiter_.Allow())
        CtcpReply(m.SenderNick, command, reply);
}

// :bob!bob@host NOTICE me :\x01VERSION Tarn-IRC\x01
void Client::ctcpReply(User* user)
{
    const IrcMessage& m = message_;
    const CtcpText ctcp = SplitCtcp(m[3]);
    // A DCC offer only counts in a request.
    if (CtcpWordOf(ctcp.Command) == CtcpWord::Dcc)
        return;
    events_.OnCtcpReply(user, Channels.Get(m[2]), std::string(ctcp.Command), std::string(ctcp.Args));
}

// DCC SEND file.txt 3232235777 5000 1024 (and a token after the size in passive offers)
// An offer with fewer words than its type needs passes the missing ones as empty texts.
void Client::dccOffer(std::string_view args)
{
    std::vector<std::string_view> words = SplitDccWords(args);
    const std::string& nick = message_.SenderNick;
    const std::string_view type = words.front();
    auto word = [&words](std::size_t i) { return DccWord(words, i); };
    if (type == "SEND") {
        words = JoinQuotedDccName(std::move(words));
        events_.OnDccSendOffer(nick, word(2), word(3), word(1), word(4), word(5));
    } else if (type == "CHAT") {
        events_.OnDccChatOffer(nick, word(2), word(3));
    } else if (type == "RESUME" || type == "ACCEPT") {
        words = JoinQuotedDccName(std::move(words));
        if (type == "RESUME")
            events_.OnDccResume(nick, word(2), word(1), word(3), word(4));
        else
            events_.OnDccAccept(nick, word(2), word(1), word(3), word(4));
    }
}

} // namespace pell::irc
