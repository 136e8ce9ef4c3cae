#pragma once

#include "irc/CaseFold.h"
#include "irc/TIdIRCUser.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pell::irc {

// The users the engine tracks, in creation order, found by nick without regard to case
// in constant time.
class TIdIRCUsers {
public:
    explicit TIdIRCUsers(TIdIRC* client = nullptr) : client_(client) {}

    // Finds the user of that nick (taking a non-empty new address) and holds one more
    // reference, or creates one with a single reference.
    TIdIRCUser* Add(std::string_view nick, std::string_view address);
    // Drops one reference; the record is destroyed when none is left.
    void Remove(TIdIRCUser* user);
    bool Find(std::string_view nick, int& index) const;
    TIdIRCUser* Get(std::string_view nick) const;
    // Bounds-checked: a wrong index throws instead of reading whatever lies behind.
    TIdIRCUser* Items(int index) const { return users_.at(static_cast<std::size_t>(index)).get(); }
    int Count() const { return static_cast<int>(users_.size()); }
    // Gives the record a new nick and files it under that nick.
    void Rename(TIdIRCUser* user, std::string_view nick);
    void Clear();

private:
    TIdIRC* client_;
    std::vector<std::unique_ptr<TIdIRCUser>> users_;
    std::unordered_map<std::string, TIdIRCUser*, FoldHash, FoldEqual> byNick_;
    int nextId_ = 0; // kept across Clear, like the numbers already handed out
};

} // namespace pell::irc
