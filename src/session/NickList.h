#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// The nick list of a text tab: entries (prefix + nick). They sort by the rank of their
// prefix among the server's prefix symbols (highest first, no prefix last), then without
// regard to case over the whole entry; entries equal but for case sort by their bytes,
// so the order never depends on insertion order.
class NickList {
public:
    const std::vector<std::string>& Entries() const { return entries_; }
    int Count() const { return static_cast<int>(entries_.size()); }

    // The server's prefix symbols, highest rank first; the list sorts itself again.
    void SetPrefixSymbols(std::string symbols);
    const std::string& PrefixSymbols() const { return symbols_; }

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

    bool Before(std::string_view a, std::string_view b) const;
    // Compares without regard to case only: below, equal or above zero.
    static int CompareFolded(std::string_view a, std::string_view b);

private:
    // Rank of the entry's prefix; entries without one come after every rank.
    std::size_t rankOf(std::string_view entry) const;
    // Rank first, then without regard to case: below, equal or above zero.
    int compareRanked(std::string_view a, std::string_view b) const;

    std::vector<std::string> entries_;
    std::string symbols_ = "@+";
};

} // namespace pell::session
