#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// The nick list of a text tab: entries (prefix + nick) kept sorted without regard to
// case over the whole entry. Entries equal but for case sort by their bytes, so the
// order never depends on insertion order.
class NickList {
public:
    const std::vector<std::string>& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }

    void Add(std::string entry);
    // Removes every entry whose plain nick equals the nick exactly; returns how many.
    int RemoveNick(std::string_view nick);
    // Replaces every entry of the old nick by its prefix and the new nick, each once.
    int RenameNick(std::string_view oldNick, std::string_view newNick);
    bool ContainsIgnoringCase(std::string_view entry) const;
    void Clear() { entries_.clear(); }
    // Replaces the whole list at once: keeps the first of entries equal without regard
    // to case, sorts once.
    void Refill(std::vector<std::string> entries);

    static bool Before(std::string_view a, std::string_view b);
    // Compares without regard to case only: below, equal or above zero.
    static int CompareFolded(std::string_view a, std::string_view b);

private:
    std::vector<std::string> entries_;
};

} // namespace pell::session
