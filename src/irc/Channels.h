#pragma once

#include "irc/CaseFold.h"
#include "irc/Channel.h"
#include "irc/Users.h"

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pell::irc {

// The channels the own nick is in, in creation order, found by name without regard
// to case in constant time.
class Channels {
public:
    // Members added from names replies hold their records in the given users; each
    // channel reports its updates to the given events.
    // Their names replies and modes read with the given server's prefixes.
    explicit Channels(Users* users = nullptr, ClientEvents* events = nullptr, const ServerSupport* support = nullptr)
        : users_(users), events_(events), support_(support)
    {
    }

    // A channel of the same name is destroyed first.
    Channel* Add(std::string_view name);
    void Remove(std::string_view name);
    bool Find(std::string_view name, int& index) const;
    Channel* Get(std::string_view name) const;
    Channel* Items(int index) const { return channels_[static_cast<std::size_t>(index)].get(); }
    int Count() const { return static_cast<int>(channels_.size()); }
    void Clear();
    // Tell every channel the user has a new nick, or has quit.
    void ChangedNick(User* user, std::string_view newNick);
    void Quit(User* user);

private:
    Users* users_;
    ClientEvents* events_;
    const ServerSupport* support_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::unordered_map<std::string, Channel*, FoldHash, FoldEqual> byName_;
};

} // namespace pell::irc
