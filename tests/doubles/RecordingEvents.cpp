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

void RecordingEvents::OnChannelUpdate(irc::Channel& channel, irc::ChannelUpdate type, irc::User* user, int info)
{
    if (RecordChannelUpdates)
        record("Update", &channel, std::string(updateName(type)), user, info);
}

void RecordingEvents::OnLineTime(const std::optional<std::chrono::system_clock::time_point>& said)
{
    const auto since = said ? std::chrono::duration_cast<std::chrono::milliseconds>(said->time_since_epoch()).count() : 0;
    record("LineTime", said ? std::to_string(since) : "-");
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

} // namespace pell::test
