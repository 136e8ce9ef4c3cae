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

const ServerSupport& Channel::Support() const
{
    static const ServerSupport silent;
    return support_ ? *support_ : silent;
}

User* Channel::AddUser(std::string_view entry, std::string_view address)
{
    const int flags = Support().TakePrefixes(entry);
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

void Channel::SetMemberMode(User* user, char letter, bool adding)
{
    const int index = indexOf(user);
    if (index < 0)
        return;
    const int bit = Support().FlagOfLetter(letter);
    const int flags = adding ? Names.Flags(index) | bit : Names.Flags(index) & ~bit;
    Names.SetFlags(index, flags);
    ReportUpdate(ChannelUpdate::User, user, flags);
}

void Channel::Op(User* user)
{
    SetMemberMode(user, 'o', true);
}

void Channel::Deop(User* user)
{
    SetMemberMode(user, 'o', false);
}

void Channel::Voice(User* user)
{
    SetMemberMode(user, 'v', true);
}

void Channel::Devoice(User* user)
{
    SetMemberMode(user, 'v', false);
}

void Channel::TranslateFlags(const ServerSupport& from)
{
    for (int i = 0; i < Names.Count(); ++i)
        Names.SetFlags(i, Support().Translate(Names.Flags(i), from));
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
