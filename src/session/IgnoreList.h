#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// The window's ignore list: nicks in the order added, none twice without regard to case.
// Lives with the window only; nothing stores it.
class IgnoreList {
public:
    const std::vector<std::string>& Entries() const { return entries_; }

    bool IsIgnored(std::string_view nick) const;
    // False when the nick was already there.
    bool Add(std::string_view nick);
    // Removes the first entry equal without regard to case; false when none was.
    bool Remove(std::string_view nick);
    // The list's selection: -1 for none.
    int Selected() const { return selected_; }
    void Select(int index);
    // Does nothing when no entry is selected.
    bool DeleteSelected();

private:
    std::vector<std::string> entries_;
    int selected_ = -1;
};

} // namespace pell::session
