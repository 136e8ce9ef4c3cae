#include "irc/Channels.h"

#include <algorithm>

namespace pell::irc {

Channel* Channels::Add(std::string_view name)
{
    Remove(name);
    auto channel = std::make_unique<Channel>();
    channel->users_ = users_;
    channel->events_ = events_;
    channel->support_ = support_;
    channel->Name.assign(name);
    Channel* raw = channel.get();
    channels_.push_back(std::move(channel));
    byName_.emplace(raw->Name, raw);
    return raw;
}

void Channels::Remove(std::string_view name)
{
    const auto found = byName_.find(name);
    if (found == byName_.end())
        return;
    Channel* channel = found->second;
    byName_.erase(found);
    const auto it = std::find_if(channels_.begin(), channels_.end(),
                                 [channel](const auto& held) { return held.get() == channel; });
    if (it != channels_.end())
        channels_.erase(it);
}

bool Channels::Find(std::string_view name, int& index) const
{
    index = -1;
    Channel* channel = Get(name);
    if (!channel)
        return false;
    const auto it = std::find_if(channels_.begin(), channels_.end(),
                                 [channel](const auto& held) { return held.get() == channel; });
    index = static_cast<int>(it - channels_.begin());
    return true;
}

Channel* Channels::Get(std::string_view name) const
{
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

void Channels::ChangedNick(User* user, std::string_view newNick)
{
    // By index: a handler of the channel's update may remove channels under us.
    for (int i = 0; i < Count(); ++i)
        Items(i)->ChangedNick(user, newNick);
}

void Channels::Quit(User* user)
{
    for (int i = 0; i < Count(); ++i)
        Items(i)->Quit(user);
}

void Channels::Clear()
{
    byName_.clear();
    channels_.clear();
}

} // namespace pell::irc
