#include "session/ChannelNameBox.h"

#include "irc/CaseFold.h"
#include "session/NickList.h"

#include <algorithm>
#include <unordered_set>

namespace pell::session {

bool ChannelNameBox::Contains(std::string_view name) const
{
    // Names equal but for case sort next to each other, by their folded text first.
    const std::string folded = irc::foldCase(name);
    auto at = std::lower_bound(items_.begin(), items_.end(), folded, [](const std::string& item, const std::string& key) {
        return irc::foldCase(item) < key;
    });
    return at != items_.end() && irc::sameTextIgnoringCase(*at, name);
}

int ChannelNameBox::AddNew(const std::vector<std::string>& names)
{
    std::unordered_set<std::string_view, irc::FoldHash, irc::FoldEqual> added;
    std::vector<std::string> fresh;
    for (const auto& name : names)
        if (!added.count(name) && !Contains(name)) {
            added.insert(name);
            fresh.push_back(name);
        }
    if (fresh.empty())
        return 0;
    items_.insert(items_.end(), fresh.begin(), fresh.end());
    std::sort(items_.begin(), items_.end(), [](const std::string& a, const std::string& b) { return NickList::Before(a, b); });
    return static_cast<int>(fresh.size());
}

} // namespace pell::session
