#pragma once

#include "irc/CaseFold.h"
#include "irc/User.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pell::irc {

// The users the engine tracks, in creation order, found by nick without regard to case
// in constant time.
class Users {
public:

    // Finds the user of that nick (taking a non-empty new address) and holds one more
    // reference, or creates one with a single reference.
    User* Add(std::string_view nick, std::string_view address);
    // Drops one reference; the record is destroyed when none is left.
    void Remove(User* user);
    bool Find(std::string_view nick, int& index) const;
    User* Get(std::string_view nick) const;
    // Bounds-checked: a wrong index throws instead of reading whatever lies behind.
    User* Items(int index) const { return users_.at(static_cast<std::size_t>(index)).get(); }
    int Count() const { return static_cast<int>(users_.size()); }
    // Gives the record a new nick and files it under that nick.
    void Rename(User* user, std::string_view nick);
    void Clear();

private:
    std::vector<std::unique_ptr<User>> users_;
    std::unordered_map<std::string, User*, FoldHash, FoldEqual> byNick_;
    int nextId_ = 0; // kept across Clear, like the numbers already handed out
};

} // namespace pell::irc
