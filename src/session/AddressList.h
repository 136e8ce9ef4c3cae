#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace pell::session {

// The main window's list of web addresses seen in any session, newest first. Shared by
// every session window; the main window shows it and opens a clicked entry.
class AddressList {
public:
    const std::deque<std::string>& Entries() const { return entries_; }
    void InsertAtTop(std::string address);

    // Called after every change so the main window can redraw.
    std::function<void()> OnChanged;

private:
    std::deque<std::string> entries_;
};

// Finds the addresses starting with "https://", "http://" or "www." in the text and
// inserts each at the top of the list, so the last one found ends up first.
void CollectUrls(std::string_view text, AddressList& addresses);

} // namespace pell::session
