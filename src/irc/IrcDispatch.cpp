#include "irc/Client.h"

#include <charconv>

namespace pell::irc {

namespace {

// The numeric of a reply: the whole command as a decimal number of 0 or more; -1 when
// it is not one.
int numericOf(const std::string& command)
{
    int value = -1;
    const char* end = command.data() + command.size();
    const auto [ptr, ec] = std::from_chars(command.data(), end, value);
    if (command.empty() || ec != std::errc() || ptr != end || value < 0)
        return -1;
    return value;
}

// A limit parameter: a decimal integer, 0 when the text is not one.
int limitOf(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return (text.empty() || ec != std::errc() || ptr != end) ? 0 : value;
}

// The flag bit of a channel mode letter without a parameter; 0 for unknown letters,
// which take no parameter either.
std::uint8_t channelFlag(char letter)
{
    switch (letter) {
    case 'p': return channel_mode::Private;
    case 's': return channel_mode::Secret;
    case 'i': return channel_mode::InviteOnly;
    case 't': return channel_mode::OpsSetTopic;
    case 'n': return channel_mode::NoExternalMessages;
    case 'm': return channel_mode::Moderated;
    default: return 0;
    }
}

std::uint8_t withFlag(std::uint8_t modes, std::uint8_t bit, bool set)
{
    return set ? modes | bit : modes & static_cast<std::uint8_t>(~bit);
}

const std::string kNoText;

} // namespace

const std::string& Client::token(int index) const
{
    return index >= 0 && index < IrcMessage::kTokenCount ? message_[index] : kNoText;
}

std::string Client::joinedModes(int first) const
{
    std::string modes = token(first);
    for (int i = first + 1; i < IrcMessage::kTokenCount; ++i) {
        if (!message_[i].empty()) {
            modes += ' ';
            modes += message_[i];
        }
    }
    return modes;
}

// Commands are matched exactly: "privmsg" is not PRIVMSG.
Client::CommandHandler Client::commandHandler(std::string_view command)
{
    struct Entry {
        std::string_view word;
        CommandHandler handler;
    };
    static constexpr Entry kCommands[] = {
        {"PRIVMSG", &Client::commandPrivmsg}, {"NOTICE", &Client::commandNotice},
        {"JOIN", &Client::commandJoin},       {"PART", &Client::commandPart},
        {"KICK", &Client::commandKick},       {"MODE", &Client::commandMode},
        {"NICK", &Client::commandNick},       {"QUIT", &Client::commandQuit},
        {"INVITE", &Client::commandInvite},   {"KILL", &Client::commandKill},
        {"PING", &Client::commandPing},       {"WALLOPS", &Client::commandWallops},
        {"TOPIC", &Client::commandTopic},
        {"CAP", &Client::commandCap},         {"AUTHENTICATE", &Client::commandAuthenticate},
        {"AWAY", &Client::commandAway},       {"ACCOUNT", &Client::commandAccount},
        {"CHGHOST", &Client::commandChghost},
    };
    for (const Entry& entry : kCommands)
        if (entry.word == command)
            return entry.handler;
    return nullptr;
}

void Client::Dispatch()
{
    const IrcMessage& m = message_;
    const std::uint64_t outerGeneration = lineGeneration_;
    lineGeneration_ = generation_;
    // The sender is held for the whole line, so handlers can keep using the record
    // even when the line itself would otherwise drop it (a QUIT, say).
    User* user = Users.Add(m.SenderNick, m.SenderAddress);
    bool suppress = false;
    events_.OnRaw(user, m.Command, m.Content, suppress);
    if (!suppress && !lineReset()) {
        if (const int numeric = numericOf(m.Command); numeric >= 0) {
            HandleNumeric(numeric, user);
        } else if (const CommandHandler handler = commandHandler(m.Command)) {
            (this->*handler)(user);
        } else {
            events_.OnUnknownCommand(user, m.Command, m.Content); // ERROR lands here too
        }
    }
    if (!lineReset())
        Users.Remove(user);
    lineGeneration_ = outerGeneration;
}

// :bob!bob@host PRIVMSG #c :hello there
void Client::commandPrivmsg(User* user)
{
    const std::string& text = message_[3];
    if (!text.empty() && text.front() == '\x01')
        ctcpRequest(user);
    else events_.OnMessage(user, Channels.Get(message_[2]), text);
}

// :bob!bob@host NOTICE me :psst
void Client::commandNotice(User* user)
{
    const std::string& text = message_[3];
    if (!text.empty() && text.front() == '\x01')
        ctcpReply(user);
    else events_.OnNotice(user, Channels.Get(message_[2]), text);
}

// :me!me@host JOIN :#c
void Client::commandJoin(User* user)
{
    const IrcMessage& m = message_;
    if (m.SenderNick == currentNick_) {
        Channel* channel = Channels.Add(m[2]);
        channel->Active = true;
        Mode(m[2], "", ""); // ask for the channel modes; reply 324 answers
        if (lineReset())
            return;
        events_.OnJoined(channel);
        return;
    }
    // Someone else: no reference is taken, so a user known only from this line is gone
    // again after it while the nick stays in the channel's names.
    Channel* channel = Channels.Get(m[2]);
    if (channel)
        channel->Joined(user);
    events_.OnJoin(user, channel);
    // extended-join: ":bob!b@h JOIN #c account :Real Name", "*" for no account.
    if (!lineReset() && HasCapability("extended-join") && !m[3].empty() && m[3] != "*") {
        user->Account = m[3];
        events_.OnAccount(user, user->Account);
    }
}

// :bob!bob@host PART #c :bye
void Client::commandPart(User* user)
{
    const IrcMessage& m = message_;
    user->Reason = m[3];
    Channel* channel = Channels.Get(m[2]);
    if (m.SenderNick == currentNick_) {
        if (channel) {
            channel->Active = false;
            channel->Left = ChannelLeave::Parted;
        }
        events_.OnParted(channel);
        if (!lineReset())
            Channels.Remove(m[2]);
        return;
    }
    if (channel)
        channel->Parted(user);
    events_.OnPart(user, channel);
}

// :alice!alice@host KICK #c bob :behave
void Client::commandKick(User* user)
{
    const IrcMessage& m = message_;
    user->Reason = m[4];
    Channel* channel = Channels.Get(m[2]);
    if (m[3] == currentNick_) {
        if (channel) {
            channel->Active = false;
            channel->Left = ChannelLeave::Kicked;
        }
        // The channel is still there while the handler runs.
        events_.OnKicked(user, channel);
        if (!lineReset())
            Channels.Remove(m[2]);
        return;
    }
    User* victim = Users.Add(m[3], "");
    victim->Reason = m[4];
    events_.OnKick(user, victim, channel);
    if (lineReset())
        return;
    if (channel)
        channel->Kicked(victim);
    Users.Remove(victim);
}

// :alice!alice@host MODE #c +o-v bob carol
// :me MODE me :+iw
void Client::commandMode(User*)
{
    const IrcMessage& m = message_;
    if (IsChannel(m[2])) {
        Channel* channel = Channels.Get(m[2]);
        if (!channel)
            return;
        events_.OnChannelMode(Users.Get(m.SenderNick), channel, m[2], joinedModes(3));
        if (!lineReset())
            parseChannelModes(2);
        return;
    }
    if (m[2] != currentNick_)
        return;
    events_.OnUserMode(m[3]);
    if (!lineReset() && parseUserModes(m[3]))
        events_.OnUserModeChanged();
}

// :bob!bob@host NICK :robert
void Client::commandNick(User* user)
{
    const IrcMessage& m = message_;
    const std::string newNick = m[2];
    // Without a new nick there is nothing to rename to; taking an empty nick would
    // make every server line look like our own.
    if (newNick.empty())
        return;
    if (m.SenderNick == currentNick_) {
        const std::string oldNick = currentNick_;
        currentNick_ = newNick;
        events_.OnNickChanged(oldNick);
    } else {
        events_.OnNickChange(user, newNick); // the record still carries the old nick
    }
    if (lineReset())
        return;
    Channels.ChangedNick(user, newNick);
    Users.Rename(user, newNick);
}

// :bob!bob@host QUIT :Quit: gone
void Client::commandQuit(User* user)
{
    user->Reason = message_[2];
    events_.OnQuit(user);
    if (!lineReset())
        Channels.Quit(user);
}

// :bob!bob@host INVITE me :#c
// :bob!bob@host INVITE carol :#c  (invite-notify: someone else was invited)
void Client::commandInvite(User* user)
{
    if (!message_[2].empty() && message_[2] != currentNick_) {
        events_.OnInviteNotify(user, message_[2], message_[3]);
        return;
    }
    events_.OnInvite(user, message_[3]);
}

// :oper!oper@host KILL victim :flooding
void Client::commandKill(User* user)
{
    events_.OnKill(user, message_[2], message_[3]);
}

// PING :irc.example.net
void Client::commandPing(User*)
{
    Raw("PONG :" + message_[2]);
    events_.OnPingPong();
}

// :irc.example.net WALLOPS :server restart soon
void Client::commandWallops(User* user)
{
    events_.OnWallops(user, message_[2]);
}

// :alice!alice@host TOPIC #c :new topic
void Client::commandTopic(User* user)
{
    Channel* channel = Channels.Get(message_[2]);
    if (!channel)
        return;
    channel->SetTopic(message_[3]);
    events_.OnTopic(user, channel, channel->Name, message_[3]);
}

// The modes of a channel MODE (channel at token 2) or reply 324 (token 3): the mode
// letters follow the channel and their parameters follow the letters. Which letters take
// one the server says (ServerSupport): its prefix modes always, of the others b always,
// k and l when set unless it announced otherwise.
void Client::parseChannelModes(int channelToken)
{
    Channel* channel = Channels.Get(token(channelToken));
    if (!channel)
        return;
    User* setter = Users.Get(message_.SenderNick);
    const std::string letters = token(channelToken + 1);
    std::uint8_t modes = channel->Mode;
    int p = channelToken + 2;
    bool adding = true;
    for (const char letter : letters) {
        if (lineReset())
            return;
        if (letter == '+' || letter == '-') {
            adding = letter == '+';
            continue;
        }
        const std::string& parameter = support_.TakesParameter(letter, adding) ? token(p++) : kNoText;
        if (support_.FlagOfLetter(letter) != 0) {
            memberMode(letter, adding, setter, channel, parameter);
            continue;
        }
        switch (letter) {
        case 'b':
            if (adding)
                events_.OnBan(setter, channel, parameter);
            else
                events_.OnUnban(setter, channel, parameter);
            break;
        case 'k':
            channel->SetKey(adding ? parameter : std::string());
            modes = withFlag(modes, channel_mode::Key, adding);
            break;
        case 'l':
            channel->SetLimit(adding ? limitOf(parameter) : 0);
            modes = withFlag(modes, channel_mode::UserLimit, adding);
            break;
        default:
            modes = withFlag(modes, channelFlag(letter), adding);
            break;
        }
    }
    if (!lineReset() && modes != channel->Mode)
        channel->SetMode(modes);
}

// A prefix mode for one member: for op and voice the event first, then the member's
// flags. A member who joined after the names list has no record of its own; it gets one
// for the length of the change, so its flags change like everyone else's.
void Client::memberMode(char letter, bool adding, User* setter, Channel* channel, const std::string& nick)
{
    User* target = Users.Get(nick);
    User* held = nullptr;
    if (!target && channel->Names.Contains(nick))
        target = held = Users.Add(nick, "");
    if (letter == 'o')
        adding ? events_.OnOp(setter, channel, target) : events_.OnDeop(setter, channel, target);
    else if (letter == 'v')
        adding ? events_.OnVoice(setter, channel, target) : events_.OnDevoice(setter, channel, target);
    if (lineReset())
        return;
    channel->SetMemberMode(target, letter, adding);
    if (held && !lineReset())
        Users.Remove(held);
}

// True when the letters changed UserMode.
bool Client::parseUserModes(std::string_view letters)
{
    UserModes modes = userMode_;
    bool adding = true;
    for (const char letter : letters) {
        std::uint8_t bit = 0;
        switch (letter) {
        case '+': adding = true; continue;
        case '-': adding = false; continue;
        case 'i': bit = user_mode::Invisible; break;
        case 'o': bit = user_mode::Operator; break;
        case 's': bit = user_mode::ServerNotices; break;
        case 'w': bit = user_mode::Wallops; break;
        default: continue;
        }
        if (adding)
            modes |= bit;
        else
            modes &= static_cast<std::uint8_t>(~bit);
    }
    if (modes == userMode_)
        return false;
    userMode_ = modes;
    return true;
}

} // namespace pell::irc
