#include "irc/Client.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace pell::irc {

// Token numbers filling a format's "%s" in turn; 0 ends the list.
using TokenNumbers = std::array<std::uint8_t, 5>;

// One row of the numeric table. A row with a category reports through OnSystem: the
// text is the raw parameters when there is no format, otherwise the format with each
// "%s" filled from the next token number in `tokens` ({3, 4}: T3, then T4). `before`
// and `after` are the row's own effects around that report; a row without a category
// has only its handler.
struct Client::NumericRow {
    int first;
    int last;
    const char* category; // "" : the numeric as received ("329")
    const char* format;
    TokenNumbers tokens;
    NumericHandler before;
    NumericHandler after;
};

namespace {

std::string fill(const char* format, const TokenNumbers& tokens, const IrcMessage& m)
{
    std::string text;
    std::size_t next = 0;
    for (const char* c = format; *c; ++c) {
        if (c[0] == '%' && c[1] == 's') {
            if (next < tokens.size() && tokens[next] != 0)
                text += m[tokens[next++]];
            ++c;
        } else {
            text += *c;
        }
    }
    return text;
}

} // namespace

const Client::NumericRow* Client::numericRow(int numeric)
{
    using T = Client;
    // Sorted by number; numbers in no row are unknown replies.
    static constexpr NumericRow kRows[] = {
        {1, 4, "WELCOME", nullptr, {}, &T::numericWelcome, nullptr},
        {5, 5, nullptr, nullptr, {}, &T::numericSupport, nullptr},
        {6, 7, "MAP", "%s", {3}, nullptr, nullptr},
        {200, 206, "TRACE", nullptr, {}, nullptr, nullptr},
        {208, 208, "TRACE", nullptr, {}, nullptr, nullptr},
        {211, 216, "STATS", nullptr, {}, nullptr, nullptr},
        {218, 218, "STATS", nullptr, {}, nullptr, nullptr},
        {219, 219, "STATS", "%s %s", {3, 4}, nullptr, nullptr},
        {221, 221, "UMODE", "%s %s", {2, 3}, nullptr, nullptr},
        {241, 244, "STATS", nullptr, {}, nullptr, nullptr},
        {250, 255, "LUSER", "%s %s", {3, 4}, nullptr, nullptr},
        {256, 259, "ADMIN", nullptr, {}, nullptr, nullptr},
        {261, 261, "TRACE", nullptr, {}, nullptr, nullptr},
        {265, 266, "LUSER", "%s", {3}, nullptr, nullptr},
        {301, 301, nullptr, nullptr, {}, &T::numericAway, nullptr},
        {302, 302, "USERHOST", "%s", {3}, nullptr, nullptr},
        {303, 303, "ISON", "%s", {3}, nullptr, nullptr},
        {305, 305, nullptr, nullptr, {}, &T::numericUnAway, nullptr},
        {306, 306, nullptr, nullptr, {}, &T::numericNowAway, nullptr},
        {307, 307, "WHOIS", "%s %s", {3, 4}, nullptr, nullptr},
        {311, 311, "WHOIS", "%s is %s@%s %s %s", {3, 4, 5, 6, 7}, nullptr, nullptr},
        {312, 312, "WHOIS", "%s is using %s %s", {3, 4, 5}, nullptr, nullptr},
        {313, 313, "WHOIS", "%s %s", {3, 4}, nullptr, nullptr},
        {314, 314, "WHOWAS", "%s was %s@%s %s %s", {3, 4, 5, 6, 7}, nullptr, nullptr},
        {315, 315, "WHO", "%s :%s", {3, 4}, nullptr, nullptr},
        {317, 317, "WHOIS", "%s has been idle %s seconds, signed on at %s", {3, 4, 5}, nullptr, nullptr},
        {318, 318, "WHOIS", "%s :%s", {3, 4}, nullptr, nullptr},
        {319, 319, "WHOIS", "%s is on %s", {3, 4}, nullptr, nullptr},
        {321, 321, "LIST", "Start of LIST", {}, &T::numericListStart, nullptr},
        {322, 322, nullptr, nullptr, {}, &T::numericListEntry, nullptr},
        {323, 323, "LIST", "%s", {3}, nullptr, &T::numericListEnd},
        {324, 324, nullptr, nullptr, {}, &T::numericChannelModes, nullptr},
        {329, 329, "", nullptr, {}, nullptr, nullptr},
        {331, 331, nullptr, nullptr, {}, &T::numericNoTopic, nullptr},
        {332, 332, nullptr, nullptr, {}, &T::numericTopic, nullptr},
        {341, 341, nullptr, nullptr, {}, &T::numericInviting, nullptr},
        {342, 342, "SUMMON", "%s has been summoned", {3}, nullptr, nullptr},
        {351, 351, "VERSION", "%s %s %s", {3, 4, 5}, nullptr, nullptr},
        {352, 352, "WHO", "%s", {3}, nullptr, nullptr},
        {353, 353, "NAMES", "%s :%s", {4, 5}, nullptr, &T::numericNames},
        {364, 364, nullptr, nullptr, {}, &T::numericLinks, nullptr},
        {365, 365, "LINKS", "%s %s", {3, 4}, nullptr, nullptr},
        {366, 366, "NAMES", "%s :%s", {3, 4}, nullptr, &T::numericEndOfNames},
        {367, 367, "BANS", "%s %s", {3, 4}, nullptr, nullptr},
        {368, 368, "BANS", "%s :%s", {3, 4}, nullptr, nullptr},
        {369, 369, "WHOWAS", "%s :%s", {3, 4}, nullptr, nullptr},
        {371, 371, "INFO", "%s", {3}, nullptr, nullptr},
        {372, 372, "MOTD", "%s", {3}, nullptr, nullptr},
        {374, 374, "INFO", "%s", {3}, nullptr, nullptr},
        {375, 375, "MOTD", "%s", {3}, &T::numericMotdStart, nullptr},
        {376, 376, "MOTD", "%s", {3}, nullptr, nullptr},
        {381, 381, "OPER", "%s", {3}, nullptr, nullptr},
        {382, 382, "REHASH", "%s :%s", {3, 4}, nullptr, nullptr},
        {391, 391, nullptr, nullptr, {}, &T::numericTime, nullptr},
        {392, 395, "USERS", "%s", {3}, nullptr, nullptr},
        {401, 502, nullptr, nullptr, {}, &T::numericError, nullptr},
        {614, 614, "WHOIS", "%s", {3}, nullptr, nullptr},
        {900, 908, nullptr, nullptr, {}, &T::numericSasl, nullptr},
    };
    const auto row = std::upper_bound(std::begin(kRows), std::end(kRows), numeric,
                                      [](int n, const NumericRow& r) { return n < r.first; });
    if (row == std::begin(kRows) || numeric > std::prev(row)->last)
        return nullptr;
    return &*std::prev(row);
}

bool Client::ReportsParametersAsSent(int numeric)
{
    const NumericRow* row = numericRow(numeric);
    return row && row->category && !row->format;
}

void Client::HandleNumeric(int numeric, User* user)
{
    const IrcMessage& m = message_;
    // A server that does not know CAP says so; registration goes on as without it, and
    // the user is not told about a line the program sent on its own.
    if ((numeric == 421 || numeric == 451) && (m[2] == "CAP" || m[3] == "CAP") && state_ == ClientState::LoggingOn)
        return;
    const NumericRow* row = numericRow(numeric);
    if (!row) {
        events_.OnUnknownCommand(user, m.Command, m.Content);
        return;
    }
    if (row->before)
        (this->*row->before)(numeric, user);
    if (row->category && !lineReset()) {
        const std::string& category = *row->category ? std::string(row->category) : m.Command;
        events_.OnSystem(user, numeric, category, row->format ? fill(row->format, row->tokens, m) : m.Content);
    }
    if (row->after && !lineReset())
        (this->*row->after)(numeric, user);
}

// :irc.example.net 001 me :Welcome to the network
void Client::numericWelcome(int, User*)
{
    welcomeServer_ = message_.SenderAddress;
    SetState(ClientState::Connected);
    // Registered: a server that never answered CAP has no capabilities and no login.
    if (capPhase_ == CapPhase::Listing) {
        capPhase_ = CapPhase::Done;
        negotiationDeadline_.reset();
    }
    if (!lineReset() && loginWanted() && !loginEnded_)
        loginFailed(LoginFailure::NotOffered, "");
}

// :irc.example.net 005 me PREFIX=(ohv)@%+ CHANMODES=beI,k,l,imnpst :are supported by this server
// Read for the prefixes and modes, and still reported as a reply the table does not know.
void Client::numericSupport(int, User* user)
{
    const ServerSupport before = support_;
    for (int i = 3; i < IrcMessage::kTokenCount; ++i)
        support_.Read(message_[i]);
    if (support_ != before) {
        if (support_.PrefixLetters() != before.PrefixLetters())
            for (int i = 0; i < Channels.Count(); ++i)
                Channels.Items(i)->TranslateFlags(before);
        events_.OnServerSupport(support_);
    }
    if (!lineReset())
        events_.OnUnknownCommand(user, message_.Command, message_.Content);
}

// :irc.example.net 375 me :- irc.example.net Message of the day -
void Client::numericMotdStart(int, User*)
{
    SetState(ClientState::Connected);
}

// :irc.example.net 301 me bob :gone fishing
void Client::numericAway(int, User*)
{
    User* away = Users.Add(message_[3], "");
    away->Reason = message_[4];
    events_.OnAway(away);
    if (!lineReset())
        Users.Remove(away);
}

// :irc.example.net 305 me :You are no longer marked as being away
void Client::numericUnAway(int, User*)
{
    isAway_ = false;
    events_.OnUnAway(message_[3]);
}

// :irc.example.net 306 me :You have been marked as being away
void Client::numericNowAway(int, User*)
{
    isAway_ = true;
    events_.OnNowAway(message_[3]);
}

// :irc.example.net 321 me Channel :Users  Name
void Client::numericListStart(int, User*)
{
    ListBuffer.clear();
    ListMark = 0;
    events_.OnList(ListBuffer, 0, false);
}

// :irc.example.net 322 me #c 12 :the topic
// Entries are reported in batches of 40, each time with the whole buffer.
void Client::numericListEntry(int, User*)
{
    const IrcMessage& m = message_;
    ListBuffer.push_back(m[3] + ' ' + m[4] + ' ' + m[5]);
    if (static_cast<int>(ListBuffer.size()) == ListMark + 40) {
        events_.OnList(ListBuffer, ListMark, false);
        ListMark = static_cast<int>(ListBuffer.size()) - 1;
    }
}

// :irc.example.net 323 me :End of LIST
void Client::numericListEnd(int, User*)
{
    events_.OnList(ListBuffer, ListMark, true);
    ListBuffer.clear();
    ListMark = 0;
}

// :irc.example.net 324 me #c +lk 10 secret
void Client::numericChannelModes(int, User*)
{
    const IrcMessage& m = message_;
    events_.OnChannelMode(nullptr, Channels.Get(m[3]), m[3], joinedModes(4));
    if (!lineReset())
        parseChannelModes(3);
}

// :irc.example.net 331 me #c :No topic is set
void Client::numericNoTopic(int, User*)
{
    Channel* channel = Channels.Get(message_[3]);
    if (!channel)
        return;
    channel->SetTopic("");
    events_.OnNoTopic(channel, message_[4]);
}

// :irc.example.net 332 me #c :the topic
void Client::numericTopic(int, User* user)
{
    const IrcMessage& m = message_;
    Channel* channel = Channels.Get(m[3]);
    if (channel)
        channel->SetTopic(m[4]);
    events_.OnTopic(user, channel, m[3], m[4]);
}

// :irc.example.net 341 me bob #c
void Client::numericInviting(int, User*)
{
    events_.OnInviting(message_[3], message_[4]);
}

// :irc.example.net 353 me = #c :@alice +bob carol
void Client::numericNames(int, User*)
{
    Channel* channel = Channels.Get(message_[4]);
    if (!channel)
        return;
    std::string_view names = message_[5];
    while (!names.empty()) {
        const std::size_t blank = names.find(' ');
        channel->AddUser(names.substr(0, blank), "");
        names = blank == std::string_view::npos ? std::string_view() : names.substr(blank + 1);
    }
    channel->ReportUpdate(ChannelUpdate::Names);
}

// :irc.example.net 366 me #c :End of NAMES list
void Client::numericEndOfNames(int, User*)
{
    events_.OnNames(Users, Channels.Get(message_[3]));
}

// :irc.example.net 364 me hub.example.net leaf.example.net :1 The leaf server
void Client::numericLinks(int, User*)
{
    const IrcMessage& m = message_;
    const std::string& hopsAndInfo = m[5];
    const std::size_t blank = hopsAndInfo.find(' ');
    const std::string hops = hopsAndInfo.substr(0, blank);
    const std::string info = blank == std::string::npos ? std::string() : hopsAndInfo.substr(blank + 1);
    events_.OnLinks(m[4], m[3], hops, info); // the mask is the fifth token, the server the fourth
}

// :irc.example.net 391 me irc.example.net :Monday March 3 2025 -- 12:00
void Client::numericTime(int numeric, User* user)
{
    const IrcMessage& m = message_;
    // Some servers leave out their own name before the time.
    const std::string& time = sameTextIgnoringCase(m[0], m[3]) ? m[4] : m[3];
    events_.OnSystem(user, numeric, "TIME", m[0] + " :" + time);
}

// :irc.example.net 433 me bob :Nickname is already in use
void Client::numericError(int numeric, User* user)
{
    const IrcMessage& m = message_;
    events_.OnError(user, m.Command, m.Content);
    if (numeric >= 431 && numeric <= 433 && state_ == ClientState::LoggingOn && !lineReset())
        NickFallback();
}

} // namespace pell::irc
