#pragma once

#include "irc/CaseFold.h"
#include "irc/TIdIRCChannel.h"
#include "irc/TIdIRCUsers.h"

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pell::irc {

// The channels the own nick is in, in creation order, found by name without regard
// to case in constant time.
class TIdIRCChannels {
public:
    // Members added from names replies hold their records in the given users.
    explicit TIdIRCChannels(TIdIRC* client = nullptr, TIdIRCUsers* users = nullptr)
        : client_(client), users_(users)
    {
    }

    // A channel of the same name is destroyed first.
    TIdIRCChannel* Add(std::string_view name, const ChannelUpdateHandler& onUpdate = {});
    void Remove(std::string_view name);
    bool Find(std::string_view name, int& index) const;
    TIdIRCChannel* Get(std::string_view name) const;
    TIdIRCChannel* Items(int index) const { return channels_[static_cast<std::size_t>(index)].get(); }
    int Count() const { return static_cast<int>(channels_.size()); }
    void Clear();
    // Tell every channel the user has a new nick, or has quit.
    void ChangedNick(TIdIRCUser* user, std::string_view newNick);
    void Quit(TIdIRCUser* user);

private:
    TIdIRC* client_;
    TIdIRCUsers* users_;
    std::vector<std::unique_ptr<TIdIRCChannel>> channels_;
    std::unordered_map<std::string, TIdIRCChannel*, FoldHash, FoldEqual> byName_;
};

} // namespace pell::irc
