#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// The editable channel-name box: the text "Join" uses, and a sorted list of channel
// names gathered from channel lists.
class ChannelNameBox {
public:
    std::string Text = "#";

    const std::vector<std::string>& Items() const { return items_; }
    bool Contains(std::string_view name) const;
    // Adds every name not yet there (without regard to case), all at once; returns how
    // many were added.
    int AddNew(const std::vector<std::string_view>& names);

private:
    std::vector<std::string> items_; // sorted as the nick lists are
};

} // namespace pell::session
