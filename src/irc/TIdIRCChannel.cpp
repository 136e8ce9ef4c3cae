#include "irc/TIdIRCChannel.h"

#include "irc/TIdIRCUsers.h"

namespace pell::irc {

void TIdIRCChannel::update(TIdIRCChannelUpdateType type, TIdIRCUser* user, int info)
{
    if (OnChannelUpdate)
        OnChannelUpdate(*this, type, user, info);
}

int TIdIRCChannel::indexOf(const TIdIRCUser* user) const
{
    return user ? Names.IndexOf(user->Nick()) : -1;
}

TIdIRCUser* TIdIRCChannel::AddUser(std::string_view entry, std::string_view address)
{
    int flags = 0;
    if (!entry.empty() && entry.front() == '@') {
        flags = nfOperator;
        entry.remove_prefix(1);
        // "@nick+" is op and voice; in "@+nick" the "+" belongs to the nick.
        if (!entry.empty() && entry.back() == '+') {
            flags = nfOperator | nfVoice;
            entry.remove_suffix(1);
        }
    } else if (!entry.empty() && entry.front() == '+') {
        flags = nfVoice;
        entry.remove_prefix(1);
    }
    // An empty entry (two blanks in a row, a lone "@") names nobody.
    if (entry.empty() || Names.Contains(entry))
        return nullptr;
    TIdIRCUser* user = users_ ? users_->Add(entry, address) : nullptr;
    Names.Add(entry, flags);
    return user;
}

void TIdIRCChannel::Joined(TIdIRCUser* user)
{
    if (!user || Names.Contains(user->Nick()))
        return;
    const int index = Names.Add(user->Nick(), 0);
    update(TIdIRCChannelUpdateType::cuJoin, user, index);
}

void TIdIRCChannel::leave(TIdIRCUser* user, TIdIRCChannelUpdateType type)
{
    const int index = indexOf(user);
    if (index < 0)
        return;
    update(type, user, index);
    // The handler may have changed the list; delete the entry where it is now.
    const int now = indexOf(user);
    if (now >= 0)
        Names.Delete(now);
}

void TIdIRCChannel::Parted(TIdIRCUser* user)
{
    leave(user, TIdIRCChannelUpdateType::cuPart);
}

void TIdIRCChannel::Kicked(TIdIRCUser* user)
{
    leave(user, TIdIRCChannelUpdateType::cuKick);
}

void TIdIRCChannel::Quit(TIdIRCUser* user)
{
    leave(user, TIdIRCChannelUpdateType::cuQuit);
}

void TIdIRCChannel::changeFlags(TIdIRCUser* user, int set, int clear)
{
    const int index = indexOf(user);
    if (index < 0)
        return;
    const int flags = (Names.Flags(index) | set) & ~clear;
    Names.SetFlags(index, flags);
    update(TIdIRCChannelUpdateType::cuUser, user, flags);
}

void TIdIRCChannel::Op(TIdIRCUser* user)
{
    changeFlags(user, nfOperator, 0);
}

void TIdIRCChannel::Deop(TIdIRCUser* user)
{
    changeFlags(user, 0, nfOperator);
}

void TIdIRCChannel::Voice(TIdIRCUser* user)
{
    changeFlags(user, nfVoice, 0);
}

void TIdIRCChannel::Devoice(TIdIRCUser* user)
{
    changeFlags(user, 0, nfVoice);
}

void TIdIRCChannel::ChangedNick(TIdIRCUser* user, std::string_view newNick)
{
    const int index = indexOf(user);
    if (index < 0)
        return;
    Names.Rename(index, newNick);
    update(TIdIRCChannelUpdateType::cuNick, user, Names.IndexOf(newNick));
}

void TIdIRCChannel::SetTopic(std::string_view text)
{
    Topic.assign(text);
    update(TIdIRCChannelUpdateType::cuTopic, nullptr, 0);
}

void TIdIRCChannel::SetMode(std::uint8_t modes)
{
    Mode = modes;
    update(TIdIRCChannelUpdateType::cuMode, nullptr, 0);
}

void TIdIRCChannel::SetLimit(int limit)
{
    Limit = limit;
    update(TIdIRCChannelUpdateType::cuMode, nullptr, 0);
}

void TIdIRCChannel::SetKey(std::string_view key)
{
    Key.assign(key);
    update(TIdIRCChannelUpdateType::cuMode, nullptr, 0);
}

} // namespace pell::irc
