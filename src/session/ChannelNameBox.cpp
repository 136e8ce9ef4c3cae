#include "session/ChannelNameBox.h"

#include "irc/CaseFold.h"
#include "session/NickList.h"

#include <algorithm>

namespace pell::session {

bool ChannelNameBox::Contains(std::string_view name) const
{
    // Names equal but for case sort next to each other, by their folded text first.
    auto at = std::lower_bound(items_.begin(), items_.end(), name, [](const std::string& item, std::string_view key) {
        return NickList::CompareFolded(item, key) < 0;
    });
    return at != items_.end() && irc::sameTextIgnoringCase(*at, name);
}

int ChannelNameBox::AddNew(const std::vector<std::string>& names)
{
    // A network may list 200,000 channels, again and again: sort the new names once,
    // without regard to case and keeping the first of equal ones, then merge them in
    // one pass, skipping those already there. Equal names are gone after that, so the
    // order without regard to case is the list's order.
    const auto folded = [](std::string_view a, std::string_view b) { return NickList::CompareFolded(a, b) < 0; };
    const auto same = [](std::string_view a, std::string_view b) { return NickList::CompareFolded(a, b) == 0; };
    // Sorting compares folded copies, made once, in one buffer.
    std::string foldedBytes;
    std::size_t total = 0;
    for (const auto& name : names)
        total += name.size();
    foldedBytes.reserve(total);
    for (const auto& name : names)
        foldedBytes += irc::foldCase(name);
    std::vector<std::pair<std::string_view, std::string_view>> keyed; // folded, as received
    keyed.reserve(names.size());
    for (std::size_t i = 0, at = 0; i < names.size(); at += names[i].size(), ++i)
        keyed.emplace_back(std::string_view(foldedBytes).substr(at, names[i].size()), names[i]);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    keyed.erase(std::unique(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                keyed.end());
    std::vector<std::string_view> fresh;
    fresh.reserve(keyed.size());
    for (const auto& key : keyed)
        fresh.push_back(key.second);
    lastAdded_.clear();
    std::vector<std::string> merged;
    merged.reserve(items_.size() + fresh.size());
    auto old = items_.begin();
    for (const std::string_view name : fresh) {
        for (; old != items_.end() && folded(*old, name); ++old)
            merged.push_back(std::move(*old));
        if (old != items_.end() && same(*old, name))
            continue;
        lastAdded_.push_back(merged.size());
        merged.emplace_back(name);
    }
    if (lastAdded_.empty())
        return 0;
    std::move(old, items_.end(), std::back_inserter(merged));
    items_ = std::move(merged);
    return static_cast<int>(lastAdded_.size());
}

} // namespace pell::session
