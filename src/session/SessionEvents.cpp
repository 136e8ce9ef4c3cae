#include "session/SessionEvents.h"

#include "irc/Channel.h"
#include "irc/User.h"
#include "session/ChannelListLine.h"

namespace pell::session {

namespace {

constexpr const char* SystemNick = "System";
constexpr const char* ChannelsCaption = "Channels";

// Absent records count as an empty nick or name.
std::string nickOf(const irc::User* user)
{
    return user ? user->Nick() : std::string();
}

std::string nameOf(const irc::Channel* channel)
{
    return channel ? channel->Name : std::string();
}

} // namespace

SessionEvents::SessionEvents(SessionModel& model, const settings::AppSettings& settings)
    : model_(model), settings_(settings)
{
}

std::string SessionEvents::sentence(EventKind kind, std::string_view a, std::string_view b,
                                    std::string_view reason) const
{
    return EventText(settings_.Language, kind, a, b, reason);
}

void SessionEvents::system(const std::string& target, const std::string& text)
{
    model_.AddText(target, SystemNick, text, colour(settings_.SystemColour));
}

void SessionEvents::OnNotice(irc::User* user, irc::Channel* channel, const std::string& content)
{
    model_.AddText(nameOf(channel), nickOf(user), content, colour(settings_.SystemColour));
}

void SessionEvents::OnAction(irc::User* user, irc::Channel* channel, const std::string& content)
{
    const std::string nick = nickOf(user);
    model_.Speakers().Spoke(channel ? channel->Name : nick, nick);
    const bool mention = model_.IsMention(nick, content, !channel);
    const TabId shown = model_.AddText(nameOf(channel), "Action", nick + " " + content,
                                       mention ? model_.MessageColour(true) : colour(settings_.ActionColour));
    if (mention)
        model_.NoteMention(shown, nick, nameOf(channel), content);
}

void SessionEvents::OnTopic(irc::User*, irc::Channel*, const std::string& channelName, const std::string& topic)
{
    system(channelName, "Topic: " + topic);
}

void SessionEvents::OnNoTopic(irc::Channel* channel, const std::string& content)
{
    system(nameOf(channel), "No Topic: " + content);
}

void SessionEvents::OnInvite(irc::User*, const std::string& channelName)
{
    model_.Tabs().NewChannel(channelName);
}

void SessionEvents::OnInviting(const std::string&, const std::string& channelName)
{
    model_.Tabs().NewChannel(channelName);
}

void SessionEvents::OnOp(irc::User* user, irc::Channel* channel, irc::User* target)
{
    system(MainCaption, "Op :" + nickOf(user) + " at " + nameOf(channel) + " to " + nickOf(target));
}

// The sentence names the banned mask; nick lists stay as they are, since a mask need
// not match anyone listed and a ban removes nobody from the channel.
void SessionEvents::OnBan(irc::User*, irc::Channel* channel, const std::string& hostmask)
{
    system(nameOf(channel), sentence(EventKind::Ban, hostmask));
}

void SessionEvents::OnUnban(irc::User*, irc::Channel* channel, const std::string& hostmask)
{
    system(nameOf(channel), "Unban: " + hostmask);
}

void SessionEvents::OnChannelMode(irc::User* user, irc::Channel*, const std::string& channelName,
                                  const std::string& modes)
{
    model_.AddText(channelName, user ? user->Nick() : SystemNick, "Channelmode: " + modes,
                   colour(settings_.SystemColour));
}

void SessionEvents::OnUserMode(const std::string& modes)
{
    system(MainCaption, modes);
}

void SessionEvents::OnAway(irc::User* user)
{
    system(MainCaption, sentence(EventKind::Away, nickOf(user)));
}

void SessionEvents::OnNowAway(const std::string& content)
{
    system(MainCaption, content);
}

void SessionEvents::OnUnAway(const std::string& content)
{
    system(MainCaption, "Unaway: " + content);
}

void SessionEvents::OnWallops(irc::User* user, const std::string& content)
{
    system(MainCaption, "Wallops: " + nickOf(user) + " " + content);
}

void SessionEvents::OnSystem(irc::User* user, int, const std::string&, const std::string& content)
{
    model_.AddText(MainCaption, nickOf(user), content, colour(settings_.SystemColour));
}

void SessionEvents::OnError(irc::User*, const std::string&, const std::string& error)
{
    system(MainCaption, error);
}

void SessionEvents::OnUnknownCommand(irc::User*, const std::string& command, const std::string& content)
{
    // "Unkown" is kept as users know it.
    system(MainCaption, "Unkown command: " + content + command);
}

void SessionEvents::OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command,
                                const std::string& arguments, bool&)
{
    system(MainCaption, "CTCPQuery: " + nickOf(user) + ":" + nameOf(channel) + ":" + command + ":" + arguments);
}

void SessionEvents::OnCtcpReply(irc::User* user, irc::Channel* channel, const std::string& command,
                                const std::string& arguments)
{
    system(MainCaption, "CTCPReply: " + nickOf(user) + ":" + nameOf(channel) + ":" + command + ":" + arguments);
}

void SessionEvents::OnPingPong()
{
    system(MainCaption, "Ping Pong");
}

void SessionEvents::OnLinks(const std::string&, const std::string&, const std::string&, const std::string& serverInfo)
{
    model_.AddText(MainCaption, "Server-Info", serverInfo, colour(settings_.SystemColour));
}

void SessionEvents::OnNicksInUse(std::string& nick)
{
    system(MainCaption, sentence(EventKind::NickInUse, nick));
}

void SessionEvents::OnHandlerError(const std::string& message)
{
    system(MainCaption, sentence(EventKind::HandlerError, message));
}

// :bob!b@h PRIVMSG #a :hello
void SessionEvents::OnMessage(irc::User* user, irc::Channel* channel, const std::string& content)
{
    const std::string nick = nickOf(user);
    model_.Speakers().Spoke(channel ? channel->Name : nick, nick);
    // A line that names the own nick, or a private one, stands out and marks its tab.
    const bool mention = model_.IsMention(nick, content, !channel);
    const TabId shown = model_.AddText(nameOf(channel), nick, content, model_.MessageColour(mention));
    if (mention)
        model_.NoteMention(shown, nick, nameOf(channel), content);
    // Also for an ignored nick: the addresses and the flash do not depend on the line.
    model_.CollectUrls(content);
    model_.FlashOnMessage();
}

// :bob!b@h JOIN :#a
void SessionEvents::OnJoin(irc::User* user, irc::Channel* channel)
{
    const std::string nick = nickOf(user);
    const std::string name = nameOf(channel);
    system(name, sentence(EventKind::Join, nick));
    model_.Tabs().AddUserTo(name, nick);
}

// :me!m@h JOIN :#a
void SessionEvents::OnJoined(irc::Channel* channel)
{
    const std::string name = nameOf(channel);
    model_.SetCaption(model_.ServerName() + " [" + name + "]");
    model_.SetCurrentChannel(name);
}

// :bob!b@h PART #a :bye
void SessionEvents::OnPart(irc::User* user, irc::Channel* channel)
{
    const std::string nick = nickOf(user);
    system(nameOf(channel), nick + " leaved");
    model_.Tabs().DelUser(nick);
}

// :bob!b@h KICK #a amy :out
void SessionEvents::OnKick(irc::User* user, irc::User* victim, irc::Channel* channel)
{
    const std::string victimNick = nickOf(victim);
    system(nameOf(channel), sentence(EventKind::Kick, nickOf(user), victimNick));
    model_.Tabs().DelUser(victimNick);
}

// :bob!b@h NICK :rob
void SessionEvents::OnNickChange(irc::User* user, const std::string& newNick)
{
    const std::string nick = nickOf(user);
    model_.Tabs().NewNickForUser(nick, newNick);
    model_.AddText(MainCaption, nick, sentence(EventKind::NickChange, nick, newNick), colour(settings_.SystemColour));
}

// :bob!b@h QUIT :gone
void SessionEvents::OnQuit(irc::User* user)
{
    const std::string nick = nickOf(user);
    model_.Tabs().DelUser(nick);
    system(model_.CurrentChannel(), "Quit: " + nick);
}

// :srv 366 me #a :End of NAMES list
// The list is built from the channel's own members and their flags, position by
// position: the engine's whole user table would mix in users of other channels.
void SessionEvents::OnNames(irc::Users&, irc::Channel* channel)
{
    if (!channel)
        return;
    const irc::ChannelMembers& members = channel->Names;
    std::vector<std::string> nicks;
    std::vector<int> flags;
    nicks.reserve(static_cast<std::size_t>(members.Count()));
    flags.reserve(static_cast<std::size_t>(members.Count()));
    for (int i = 0; i < members.Count(); ++i) {
        nicks.push_back(members.Strings(i));
        flags.push_back(members.Flags(i) & (irc::member_flag::Operator | irc::member_flag::Voice));
    }
    model_.Tabs().RefillNickList(channel->Name, nicks, flags);
}

// :bob!b@h KILL amy :spam
void SessionEvents::OnKill(irc::User* user, const std::string& victim, const std::string& reason)
{
    model_.Tabs().DelUser(victim);
    system(MainCaption, sentence(EventKind::Kill, nickOf(user), victim, reason));
}

// :srv 322 me #a 3 :topic ... :srv 323 me :End of LIST
void SessionEvents::OnList(const std::vector<std::string>& lines, int, bool last)
{
    if (!last)
        return;
    model_.Tabs().NewChannel(ChannelsCaption);
    const Rgb systemColour = colour(settings_.SystemColour);
    for (int i = 0; i < model_.Tabs().Count(); ++i)
        if (model_.Tabs().At(i).Caption == ChannelsCaption)
            for (const auto& line : lines)
                model_.WriteFormattedLine(line, i, systemColour);
    std::vector<std::string_view> names;
    names.reserve(lines.size());
    for (const auto& line : lines)
        names.push_back(ChannelFromListLine(line));
    model_.AddChannelNames(names);
}

// Every line, first.
void SessionEvents::OnRaw(irc::User* user, const std::string& command, const std::string& content, bool&)
{
    model_.AppendRaw(nickOf(user) + ": $$$ Command: " + command + "$$$ Conntent: " + content, true);
}

} // namespace pell::session
