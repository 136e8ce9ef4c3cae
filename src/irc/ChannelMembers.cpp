#include "irc/ChannelMembers.h"

#include <algorithm>

namespace pell::irc {

int ChannelMembers::positionOf(const Entry* entry) const
{
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), entry->serial,
                                     [](const auto& held, std::uint64_t serial) { return held->serial < serial; });
    return static_cast<int>(it - entries_.begin());
}

int ChannelMembers::IndexOf(std::string_view nick) const
{
    const auto found = byNick_.find(nick);
    return found == byNick_.end() ? -1 : positionOf(found->second);
}

int ChannelMembers::Add(std::string_view nick, int flags)
{
    auto entry = std::make_unique<Entry>();
    entry->nick.assign(nick);
    entry->flags = flags;
    entry->serial = nextSerial_++;
    byNick_[entry->nick] = entry.get();
    entries_.push_back(std::move(entry));
    return Count() - 1;
}

void ChannelMembers::Delete(int index)
{
    const auto it = entries_.begin() + index;
    const auto found = byNick_.find((*it)->nick);
    if (found != byNick_.end() && found->second == it->get())
        byNick_.erase(found);
    entries_.erase(it);
}

void ChannelMembers::Rename(int index, std::string_view nick)
{
    Entry* entry = &at(index);
    const auto old = byNick_.find(entry->nick);
    if (old != byNick_.end() && old->second == entry)
        byNick_.erase(old);
    // Nicks are unique on a server; an entry still filed under the new nick is stale.
    if (const auto clash = byNick_.find(nick); clash != byNick_.end()) {
        Entry* stale = clash->second;
        byNick_.erase(clash);
        entries_.erase(entries_.begin() + positionOf(stale));
    }
    entry->nick.assign(nick);
    byNick_[entry->nick] = entry;
}

void ChannelMembers::Clear()
{
    byNick_.clear();
    entries_.clear();
}

} // namespace pell::irc
