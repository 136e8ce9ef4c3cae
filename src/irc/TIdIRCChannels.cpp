#include "irc/TIdIRCChannels.h"

#include <algorithm>

namespace pell::irc {

TIdIRCChannel* TIdIRCChannels::Add(std::string_view name, const ChannelUpdateHandler& onUpdate)
{
    Remove(name);
    auto channel = std::make_unique<TIdIRCChannel>();
    channel->Client = client_;
    channel->users_ = users_;
    channel->Name.assign(name);
    channel->OnChannelUpdate = onUpdate;
    TIdIRCChannel* raw = channel.get();
    channels_.push_back(std::move(channel));
    byName_.emplace(raw->Name, raw);
    return raw;
}

void TIdIRCChannels::Remove(std::string_view name)
{
    const auto found = byName_.find(name);
    if (found == byName_.end())
        return;
    TIdIRCChannel* channel = found->second;
    byName_.erase(found);
    const auto it = std::find_if(channels_.begin(), channels_.end(),
                                 [channel](const auto& held) { return held.get() == channel; });
    if (it != channels_.end())
        channels_.erase(it);
}

bool TIdIRCChannels::Find(std::string_view name, int& index) const
{
    index = -1;
    TIdIRCChannel* channel = Get(name);
    if (!channel)
        return false;
    const auto it = std::find_if(channels_.begin(), channels_.end(),
                                 [channel](const auto& held) { return held.get() == channel; });
    index = static_cast<int>(it - channels_.begin());
    return true;
}

TIdIRCChannel* TIdIRCChannels::Get(std::string_view name) const
{
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

void TIdIRCChannels::ChangedNick(TIdIRCUser* user, std::string_view newNick)
{
    // By index: a handler of the channel's update may remove channels under us.
    for (int i = 0; i < Count(); ++i)
        Items(i)->ChangedNick(user, newNick);
}

void TIdIRCChannels::Quit(TIdIRCUser* user)
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->Quit(user);
}

void TIdIRCChannels::Clear()
{
    byName_.clear();
    channels_.clear();
}

} // namespace pell::irc
