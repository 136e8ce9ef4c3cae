#pragma once

#include "session/StringList.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// The main window's list of web addresses seen in any session, newest first. Shared by
// every session window; the main window shows it and opens a clicked entry. A busy
// channel adds an address with nearly every line for days, so the addresses are packed
// in one arena, oldest first: adding one never moves the others, and row 0 (the
// newest) is simply the last entry.
class AddressList {
public:
    std::size_t size() const { return entries_.size(); }
    // Row 0 is the newest address. Valid until the next call on this list.
    std::string_view At(std::size_t row) const { return entries_[entries_.size() - 1 - row]; }
    // Newest first.
    std::vector<std::string> ToVector() const;
    void InsertAtTop(std::string_view address);

    // Called after every change; the main window redraws once per burst, not per call.
    std::function<void()> OnChanged;

private:
    // Addresses are short: smaller blocks keep the unpacked newest ones small.
    StringList entries_{64 * 1024};
};

// Finds the addresses starting with "https://", "http://" or "www." in the text and
// inserts each at the top of the list, so the last one found ends up first.
void CollectUrls(std::string_view text, AddressList& addresses);

} // namespace pell::session
