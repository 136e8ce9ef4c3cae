#pragma once

#include "irc/CaseFold.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pell::irc {

// A channel's member list: nicks in the order they were added, each with its flags (one
// bit per prefix mode, see ServerSupport).
// Look-up by nick ignores letter case and takes constant time; the position of a nick
// takes a binary search, so a 10,000-member channel never needs a linear scan.
class ChannelMembers {
public:
    ChannelMembers() = default;
    ChannelMembers(const ChannelMembers&) = delete;
    ChannelMembers& operator=(const ChannelMembers&) = delete;

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Nick(int index) const { return at(index).nick; }
    int Flags(int index) const { return at(index).flags; }
    // Position of the nick, or -1.
    int IndexOf(std::string_view nick) const;
    bool Contains(std::string_view nick) const { return byNick_.count(nick) != 0; }

    // Appends the nick (which must not be listed yet) and returns its position.
    int Add(std::string_view nick, int flags);
    void Delete(int index);
    void SetFlags(int index, int flags) { at(index).flags = flags; }
    // Gives the entry a new nick; an other entry already filed under it is dropped.
    void Rename(int index, std::string_view nick);
    void Clear();

private:
    struct Entry {
        std::string nick;
        int flags = 0;
        std::uint64_t serial = 0; // rises with every Add, so entries_ stays sorted by it
    };

    Entry& at(int index) const { return *entries_[static_cast<std::size_t>(index)]; }
    int positionOf(const Entry* entry) const;

    std::vector<std::unique_ptr<Entry>> entries_;
    std::unordered_map<std::string_view, Entry*, FoldHash, FoldEqual> byNick_; // views into Entry::nick
    std::uint64_t nextSerial_ = 0;
};

} // namespace pell::irc
