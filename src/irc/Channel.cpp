#include "irc/Channel.h"

#include "irc/Users.h"

namespace pell::irc {

void Channel::ReportUpdate(ChannelUpdate type, User* user, int info)
{
    if (events_)
        events_->OnChannelUpdate(*this, type, user, info);
}

int Channel::indexOf(const User* user) const
{
    return user ? Names.IndexOf(user->Nick()) : -1;
}

User* Channel::AddUser(std::string_view entry, std::string_view address, bool multiPrefix)
{
    int flags = 0;
    if (multiPrefix) {
        // multi-prefix: every status the member has, highest first ("@+nick", "~@%nick");
        // the highest is kept, op and voice are known. Others are dropped from the nick.
        while (!entry.empty() && std::string_view("~&@%+").find(entry.front()) != std::string_view::npos) {
            flags |= entry.front() == '+' ? member_flag::Voice : entry.front() == '%' ? 0 : member_flag::Operator;
            entry.remove_prefix(1);
        }
    } else if (!entry.empty() && entry.front() == '@') {
        flags = member_flag::Operator;
        entry.remove_prefix(1);
        // "@nick+" is op and voice; in "@+nick" the "+" belongs to the nick.
        if (!entry.empty() && entry.back() == '+') {
            flags = member_flag::Operator | member_flag::Voice;
            entry.remove_suffix(1);
        }
    } else if (!entry.empty() && entry.front() == '+') {
        flags = member_flag::Voice;
        entry.remove_prefix(1);
    }
    // An empty entry (two blanks in a row, a lone "@") names nobody.
    if (entry.empty() || Names.Contains(entry))
        return nullptr;
    User* user = users_ ? users_->Add(entry, address) : nullptr;
    Names.Add(entry, flags);
    return user;
}

void Channel::Joined(User* user)
{
    if (!user || Names.Contains(user->Nick()))
        return;
    const int index = Names.Add(user->Nick(), 0);
    ReportUpdate(ChannelUpdate::Join, user, index);
}

void Channel::leave(User* user, ChannelUpdate type)
{
    const int index = indexOf(user);
    if (index < 0)
        return;
    ReportUpdate(type, user, index);
    // The handler may have changed the list; delete the entry where it is now.
    const int now = indexOf(user);
    if (now >= 0)
        Names.Delete(now);
}

void Channel::Parted(User* user)
{
    leave(user, ChannelUpdate::Part);
}

void Channel::Kicked(User* user)
{
    leave(user, ChannelUpdate::Kick);
}

void Channel::Quit(User* user)
{
    leave(user, ChannelUpdate::Quit);
}

void Channel::changeFlags(User* user, int set, int clear)
{
    const int index = indexOf(user);
    if (index < 0)
        return;
    const int flags = (Names.Flags(index) | set) & ~clear;
    Names.SetFlags(index, flags);
    ReportUpdate(ChannelUpdate::User, user, flags);
}

void Channel::Op(User* user)
{
    changeFlags(user, member_flag::Operator, 0);
}

void Channel::Deop(User* user)
{
    changeFlags(user, 0, member_flag::Operator);
}

void Channel::Voice(User* user)
{
    changeFlags(user, member_flag::Voice, 0);
}

void Channel::Devoice(User* user)
{
    changeFlags(user, 0, member_flag::Voice);
}

void Channel::ChangedNick(User* user, std::string_view newNick)
{
    const int index = indexOf(user);
    if (index < 0)
        return;
    Names.Rename(index, newNick);
    ReportUpdate(ChannelUpdate::Nick, user, Names.IndexOf(newNick));
}

void Channel::SetTopic(std::string_view text)
{
    Topic.assign(text);
    ReportUpdate(ChannelUpdate::Topic, nullptr, 0);
}

void Channel::SetMode(std::uint8_t modes)
{
    Mode = modes;
    ReportUpdate(ChannelUpdate::Mode, nullptr, 0);
}

void Channel::SetLimit(int limit)
{
    Limit = limit;
    ReportUpdate(ChannelUpdate::Mode, nullptr, 0);
}

void Channel::SetKey(std::string_view key)
{
    Key.assign(key);
    ReportUpdate(ChannelUpdate::Mode, nullptr, 0);
}

} // namespace pell::irc
