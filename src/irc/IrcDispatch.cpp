#include "irc/TIdIRC.h"

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
    case 'p': return cmPrivate;
    case 's': return cmSecret;
    case 'i': return cmInviteOnly;
    case 't': return cmOpsSetTopic;
    case 'n': return cmNoExternalMessages;
    case 'm': return cmModerated;
    default: return 0;
    }
}

std::uint8_t withFlag(std::uint8_t modes, std::uint8_t bit, bool set)
{
    return set ? modes | bit : modes & static_cast<std::uint8_t>(~bit);
}

const std::string kNoText;

} // namespace

const std::string& TIdIRC::token(int index) const
{
    return index >= 0 && index < IrcMessage::kTokenCount ? message_[index] : kNoText;
}

std::string TIdIRC::joinedModes(int first) const
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
TIdIRC::CommandHandler TIdIRC::commandHandler(std::string_view command)
{
    struct Entry {
        std::string_view word;
        CommandHandler handler;
    };
    static constexpr Entry kCommands[] = {
        {"PRIVMSG", &TIdIRC::commandPrivmsg}, {"NOTICE", &TIdIRC::commandNotice},
        {"JOIN", &TIdIRC::commandJoin},       {"PART", &TIdIRC::commandPart},
        {"KICK", &TIdIRC::commandKick},       {"MODE", &TIdIRC::commandMode},
        {"NICK", &TIdIRC::commandNick},       {"QUIT", &TIdIRC::commandQuit},
        {"INVITE", &TIdIRC::commandInvite},   {"KILL", &TIdIRC::commandKill},
        {"PING", &TIdIRC::commandPing},       {"WALLOPS", &TIdIRC::commandWallops},
        {"TOPIC", &TIdIRC::commandTopic},
    };
    for (const Entry& entry : kCommands)
        if (entry.word == command)
            return entry.handler;
    return nullptr;
}

void TIdIRC::Dispatch()
{
    const IrcMessage& m = message_;
    const std::uint64_t outerGeneration = lineGeneration_;
    lineGeneration_ = generation_;
    // The sender is held for the whole line, so handlers can keep using the record
    // even when the line itself would otherwise drop it (a QUIT, say).
    TIdIRCUser* user = Users.Add(m.SenderNick, m.SenderAddress);
    bool suppress = false;
    if (OnRaw)
        OnRaw(user, m.Command, m.Content, suppress);
    if (!suppress && !lineReset()) {
        if (const int numeric = numericOf(m.Command); numeric >= 0) {
            HandleNumeric(numeric, user);
        } else if (const CommandHandler handler = commandHandler(m.Command)) {
            (this->*handler)(user);
        } else if (OnUnknownCommand) {
            OnUnknownCommand(user, m.Command, m.Content); // ERROR lands here too
        }
    }
    if (!lineReset())
        Users.Remove(user);
    lineGeneration_ = outerGeneration;
}

// :bob!bob@host PRIVMSG #c :hello there
void TIdIRC::commandPrivmsg(TIdIRCUser* user)
{
    const std::string& text = message_[3];
    if (!text.empty() && text.front() == '\x01')
        ctcpRequest(user);
    else if (OnMessage)
        OnMessage(user, Channels.Get(message_[2]), text);
}

// :bob!bob@host NOTICE me :psst
void TIdIRC::commandNotice(TIdIRCUser* user)
{
    const std::string& text = message_[3];
    if (!text.empty() && text.front() == '\x01')
        ctcpReply(user);
    else if (OnNotice)
        OnNotice(user, Channels.Get(message_[2]), text);
}

// :me!me@host JOIN :#c
void TIdIRC::commandJoin(TIdIRCUser* user)
{
    const IrcMessage& m = message_;
    if (m.SenderNick == currentNick_) {
        TIdIRCChannel* channel = Channels.Add(m[2], OnChannelUpdate);
        channel->Active = true;
        Mode(m[2], "", ""); // ask for the channel modes; reply 324 answers
        if (lineReset())
            return;
        if (OnJoined)
            OnJoined(channel);
        return;
    }
    // Someone else: no reference is taken, so a user known only from this line is gone
    // again after it while the nick stays in the channel's names.
    TIdIRCChannel* channel = Channels.Get(m[2]);
    if (channel)
        channel->Joined(user);
    if (OnJoin)
        OnJoin(user, channel);
}

// :bob!bob@host PART #c :bye
void TIdIRC::commandPart(TIdIRCUser* user)
{
    const IrcMessage& m = message_;
    user->Reason = m[3];
    TIdIRCChannel* channel = Channels.Get(m[2]);
    if (m.SenderNick == currentNick_) {
        if (channel) {
            channel->Active = false;
            channel->CloseType = 1;
        }
        if (OnParted)
            OnParted(channel);
        if (!lineReset())
            Channels.Remove(m[2]);
        return;
    }
    if (channel)
        channel->Parted(user);
    if (OnPart)
        OnPart(user, channel);
}

// :alice!alice@host KICK #c bob :behave
void TIdIRC::commandKick(TIdIRCUser* user)
{
    const IrcMessage& m = message_;
    user->Reason = m[4];
    TIdIRCChannel* channel = Channels.Get(m[2]);
    if (m[3] == currentNick_) {
        if (channel) {
            channel->Active = false;
            channel->CloseType = 2;
        }
        // The channel is still there while the handler runs.
        if (OnKicked)
            OnKicked(user, channel);
        if (!lineReset())
            Channels.Remove(m[2]);
        return;
    }
    TIdIRCUser* victim = Users.Add(m[3], "");
    victim->Reason = m[4];
    if (OnKick)
        OnKick(user, victim, channel);
    if (lineReset())
        return;
    if (channel)
        channel->Kicked(victim);
    Users.Remove(victim);
}

// :alice!alice@host MODE #c +o-v bob carol
// :me MODE me :+iw
void TIdIRC::commandMode(TIdIRCUser*)
{
    const IrcMessage& m = message_;
    if (IsChannel(m[2])) {
        TIdIRCChannel* channel = Channels.Get(m[2]);
        if (!channel)
            return;
        if (OnChannelMode)
            OnChannelMode(Users.Get(m.SenderNick), channel, m[2], joinedModes(3));
        if (!lineReset())
            parseChannelModes(2);
        return;
    }
    if (m[2] != currentNick_)
        return;
    if (OnUserMode)
        OnUserMode(m[3]);
    if (!lineReset() && parseUserModes(m[3]) && OnUserModeChanged)
        OnUserModeChanged();
}

// :bob!bob@host NICK :robert
void TIdIRC::commandNick(TIdIRCUser* user)
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
        if (OnNickChanged)
            OnNickChanged(oldNick);
    } else if (OnNickChange) {
        OnNickChange(user, newNick); // the record still carries the old nick
    }
    if (lineReset())
        return;
    Channels.ChangedNick(user, newNick);
    Users.Rename(user, newNick);
}

// :bob!bob@host QUIT :Quit: gone
void TIdIRC::commandQuit(TIdIRCUser* user)
{
    user->Reason = message_[2];
    if (OnQuit)
        OnQuit(user);
    if (!lineReset())
        Channels.Quit(user);
}

// :bob!bob@host INVITE me :#c
void TIdIRC::commandInvite(TIdIRCUser* user)
{
    if (OnInvite)
        OnInvite(user, message_[3]);
}

// :oper!oper@host KILL victim :flooding
void TIdIRC::commandKill(TIdIRCUser* user)
{
    if (OnKill)
        OnKill(user, message_[2], message_[3]);
}

// PING :irc.example.net
void TIdIRC::commandPing(TIdIRCUser*)
{
    Raw("PONG :" + message_[2]);
    if (OnPingPong)
        OnPingPong();
}

// :irc.example.net WALLOPS :server restart soon
void TIdIRC::commandWallops(TIdIRCUser* user)
{
    if (OnWallops)
        OnWallops(user, message_[2]);
}

// :alice!alice@host TOPIC #c :new topic
void TIdIRC::commandTopic(TIdIRCUser* user)
{
    TIdIRCChannel* channel = Channels.Get(message_[2]);
    if (!channel)
        return;
    channel->SetTopic(message_[3]);
    if (OnTopic)
        OnTopic(user, channel, channel->Name, message_[3]);
}

// The modes of a channel MODE (channel at token 2) or reply 324 (token 3): the mode
// letters follow the channel, their parameters follow the letters, and only b, o, v,
// +k and +l take one.
void TIdIRC::parseChannelModes(int channelToken)
{
    TIdIRCChannel* channel = Channels.Get(token(channelToken));
    if (!channel)
        return;
    TIdIRCUser* setter = Users.Get(message_.SenderNick);
    const std::string letters = token(channelToken + 1);
    std::uint8_t modes = channel->Mode;
    int p = channelToken + 2;
    bool adding = true;
    for (const char letter : letters) {
        if (lineReset())
            return;
        switch (letter) {
        case '+':
        case '-':
            adding = letter == '+';
            break;
        case 'b': {
            const auto& event = adding ? OnBan : OnUnban;
            if (event)
                event(setter, channel, token(p));
            ++p;
            break;
        }
        case 'o':
        case 'v':
            memberMode(letter == 'o', adding, setter, channel, Users.Get(token(p++)));
            break;
        case 'k':
            channel->SetKey(adding ? token(p++) : std::string());
            modes = withFlag(modes, cmKey, adding);
            break;
        case 'l':
            channel->SetLimit(adding ? limitOf(token(p++)) : 0);
            modes = withFlag(modes, cmUserLimit, adding);
            break;
        default:
            modes = withFlag(modes, channelFlag(letter), adding);
            break;
        }
    }
    if (!lineReset() && modes != channel->Mode)
        channel->SetMode(modes);
}

// +o, -o, +v or -v for one member: the event first, then the member's flags.
void TIdIRC::memberMode(bool op, bool adding, TIdIRCUser* setter, TIdIRCChannel* channel, TIdIRCUser* target)
{
    const auto& event = op ? (adding ? OnOp : OnDeop) : (adding ? OnVoice : OnDevoice);
    if (event)
        event(setter, channel, target);
    if (lineReset())
        return;
    if (op)
        adding ? channel->Op(target) : channel->Deop(target);
    else
        adding ? channel->Voice(target) : channel->Devoice(target);
}

// True when the letters changed UserMode.
bool TIdIRC::parseUserModes(std::string_view letters)
{
    TIdIRCUserModes modes = userMode_;
    bool adding = true;
    for (const char letter : letters) {
        std::uint8_t bit = 0;
        switch (letter) {
        case '+': adding = true; continue;
        case '-': adding = false; continue;
        case 'i': bit = umInvisible; break;
        case 'o': bit = umOperator; break;
        case 's': bit = umServerNotices; break;
        case 'w': bit = umWallops; break;
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
