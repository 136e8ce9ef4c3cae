#include "doubles/RecordingEvents.h"

#include "irc/Channel.h"
#include "irc/User.h"

namespace pell::test {

namespace {

const char* updateName(irc::ChannelUpdate type)
{
    switch (type) {
    case irc::ChannelUpdate::Mode: return "Mode";
    case irc::ChannelUpdate::Topic: return "Topic";
    case irc::ChannelUpdate::User: return "User";
    case irc::ChannelUpdate::Names: return "Names";
    case irc::ChannelUpdate::Nick: return "Nick";
    case irc::ChannelUpdate::Join: return "Join";
    case irc::ChannelUpdate::Part: return "Part";
    case irc::ChannelUpdate::Kick: return "Kick";
    case irc::ChannelUpdate::Quit: return "Quit";
    }
    return "?";
}

} // namespace

std::string RecordingEvents::Word(const irc::User* user)
{
    return user ? user->Nick() : "-";
}

std::string RecordingEvents::Word(const irc::Channel* channel)
{
    return channel ? channel->Name : "-";
}

void RecordingEvents::OnMessage(irc::User* user, irc::Channel* channel, const std::string& content)
{
    record("Message", user, channel, content);
}

void RecordingEvents::OnNotice(irc::User* user, irc::Channel* channel, const std::string& content)
{
    record("Notice", user, channel, content);
}

void RecordingEvents::OnAction(irc::User* user, irc::Channel* channel, const std::string& content)
{
    record("Action", user, channel, content);
}

void RecordingEvents::OnWallops(irc::User* user, const std::string& content)
{
    record("Wallops", user, content);
}

void RecordingEvents::OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command,
                                  const std::string& arguments, bool&)
{
    record("CtcpQuery", user, channel, command, arguments);
}

void RecordingEvents::OnCtcpReply(irc::User* user, irc::Channel* channel, const std::string& command,
                                  const std::string& arguments)
{
    record("CtcpReply", user, channel, command, arguments);
}

void RecordingEvents::OnUnknownCommand(irc::User* user, const std::string& command, const std::string& content)
{
    record("Unknown", user, command, content);
}

void RecordingEvents::OnPingPong()
{
    record("PingPong");
}

void RecordingEvents::OnJoin(irc::User* user, irc::Channel* channel)
{
    record("Join", user, channel);
}

void RecordingEvents::OnJoined(irc::Channel* channel)
{
    record("Joined", channel);
}

void RecordingEvents::OnPart(irc::User* user, irc::Channel* channel)
{
    record("Part", user, channel);
}

void RecordingEvents::OnParted(irc::Channel* channel)
{
    record("Parted", channel);
}

void RecordingEvents::OnKick(irc::User* kicker, irc::User* victim, irc::Channel* channel)
{
    record("Kick", kicker, victim, channel);
}

void RecordingEvents::OnKicked(irc::User* kicker, irc::Channel* channel)
{
    record("Kicked", kicker, channel);
}

void RecordingEvents::OnNickChange(irc::User* user, const std::string& newNick)
{
    record("NickChange", user, newNick);
}

void RecordingEvents::OnNickChanged(const std::string& oldNick)
{
    record("NickChanged", oldNick);
}

void RecordingEvents::OnQuit(irc::User* user)
{
    record("Quit", user, user ? user->Reason : "");
}

void RecordingEvents::OnKill(irc::User* killer, const std::string& victim, const std::string& reason)
{
    record("Kill", killer, victim, reason);
}

void RecordingEvents::OnTopic(irc::User* user, irc::Channel* channel, const std::string& channelName,
                              const std::string& topic)
{
    record("Topic", user, channel, channelName, topic);
}

void RecordingEvents::OnNoTopic(irc::Channel* channel, const std::string& content)
{
    record("NoTopic", channel, content);
}

void RecordingEvents::OnNames(irc::Users&, irc::Channel* channel)
{
    record("Names", channel);
}

void RecordingEvents::OnInvite(irc::User* user, const std::string& channelName)
{
    record("Invite", user, channelName);
}

void RecordingEvents::OnInviting(const std::string& nick, const std::string& channelName)
{
    record("Inviting", nick, channelName);
}

void RecordingEvents::OnAway(irc::User* user)
{
    record("Away", user, user ? user->Reason : "");
}

void RecordingEvents::OnNowAway(const std::string& content)
{
    record("NowAway", content);
}

void RecordingEvents::OnUnAway(const std::string& content)
{
    record("UnAway", content);
}

void RecordingEvents::OnChannelUpdate(irc::Channel& channel, irc::ChannelUpdate type, irc::User* user, int info)
{
    if (RecordChannelUpdates)
        record("Update", &channel, std::string(updateName(type)), user, info);
}

void RecordingEvents::OnOp(irc::User* user, irc::Channel* channel, irc::User* target)
{
    record("Op", user, channel, target);
}

void RecordingEvents::OnDeop(irc::User* user, irc::Channel* channel, irc::User* target)
{
    record("Deop", user, channel, target);
}

void RecordingEvents::OnVoice(irc::User* user, irc::Channel* channel, irc::User* target)
{
    record("Voice", user, channel, target);
}

void RecordingEvents::OnDevoice(irc::User* user, irc::Channel* channel, irc::User* target)
{
    record("Devoice", user, channel, target);
}

void RecordingEvents::OnBan(irc::User* user, irc::Channel* channel, const std::string& hostmask)
{
    record("Ban", user, channel, hostmask);
}

void RecordingEvents::OnUnban(irc::User* user, irc::Channel* channel, const std::string& hostmask)
{
    record("Unban", user, channel, hostmask);
}

void RecordingEvents::OnChannelMode(irc::User* user, irc::Channel* channel, const std::string& channelName,
                                    const std::string& modes)
{
    record("ChannelMode", user, channel, channelName, modes);
}

void RecordingEvents::OnUserMode(const std::string& modes)
{
    record("UserMode", modes);
}

void RecordingEvents::OnUserModeChanged()
{
    record("UserModeChanged");
}

void RecordingEvents::OnSystem(irc::User* user, int numeric, const std::string& category,
                               const std::string& content)
{
    record("System", user, numeric, category, content);
}

void RecordingEvents::OnError(irc::User* user, const std::string& numeric, const std::string& error)
{
    record("Error", user, numeric, error);
}

void RecordingEvents::OnLinks(const std::string& mask, const std::string& server, const std::string& hopCount,
                              const std::string& serverInfo)
{
    record("Links", mask, server, hopCount, serverInfo);
}

// "List 3 1 more #b 5 topic": the list's size, the position of the first new entry,
// whether more follow, and that entry.
void RecordingEvents::OnList(const std::vector<std::string>& channels, int position, bool last)
{
    const int size = static_cast<int>(channels.size());
    std::string line = "List " + Word(size) + " " + Word(position) + (last ? " last" : " more");
    if (position >= 0 && position < size)
        line += " " + channels[static_cast<std::size_t>(position)];
    Lines.push_back(line);
}

void RecordingEvents::OnDccChatOffer(const std::string& nick, const std::string& address, const std::string& port)
{
    record("DccChatOffer", nick, address, port);
}

void RecordingEvents::OnDccSendOffer(const std::string& nick, const std::string& address, const std::string& port,
                                     const std::string& fileName, const std::string& fileSize)
{
    record("DccSendOffer", nick, address, port, fileName, fileSize);
}

void RecordingEvents::OnDccResume(const std::string& nick, const std::string& port, const std::string& fileName,
                                  const std::string& position)
{
    record("DccResume", nick, port, fileName, position);
}

void RecordingEvents::OnDccAccept(const std::string& nick, const std::string& port, const std::string& fileName,
                                  const std::string& position)
{
    record("DccAccept", nick, port, fileName, position);
}

} // namespace pell::test
