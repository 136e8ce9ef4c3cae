#include "session/ChannelNameBox.h"

#include "irc/CaseFold.h"
#include "session/NickList.h"

#include <algorithm>
#include <cstdint>

namespace pell::session {

bool ChannelNameBox::Contains(std::string_view name) const
{
    // Names equal but for case sort next to each other, by their folded text first.
    auto at = std::lower_bound(items_.begin(), items_.end(), name, [](const std::string& item, std::string_view key) {
        return NickList::CompareFolded(item, key) < 0;
    });
    return at != items_.end() && irc::sameTextIgnoringCase(*at, name);
}

int ChannelNameBox::AddNew(const std::vector<std::string_view>& names)
{
    // A network may list 200,000 channels, again and again: sort the new names once,
    // without regard to case and keeping the first of equal ones, then merge them in
    // one pass, skipping those already there. Equal names are gone after that, so the
    // order without regard to case is the list's order.
    const auto folded = [](std::string_view a, std::string_view b) { return NickList::CompareFolded(a, b) < 0; };
    const auto same = [](std::string_view a, std::string_view b) { return NickList::CompareFolded(a, b) == 0; };
    // Sorting compares folded copies, made once, in one buffer; most comparisons are
    // settled by the first sixteen folded bytes, taken as two numbers.
    std::string foldedBytes;
    std::size_t total = 0;
    for (const auto name : names)
        total += name.size();
    foldedBytes.reserve(total);
    for (const auto name : names)
        foldedBytes += irc::foldCase(name);
    struct Key {
        std::uint64_t prefix;
        std::uint64_t next;
        std::uint32_t index;
    };
    std::vector<std::string_view> foldedNames;
    std::vector<Key> keys;
    foldedNames.reserve(names.size());
    keys.reserve(names.size());
    for (std::size_t i = 0, at = 0; i < names.size(); at += names[i].size(), ++i) {
        const std::string_view name = std::string_view(foldedBytes).substr(at, names[i].size());
        const auto bytesAt = [name](std::size_t from) {
            std::uint64_t value = 0;
            for (std::size_t b = from; b < from + 8; ++b)
                value = value << 8 | (b < name.size() ? static_cast<unsigned char>(name[b]) : 0U);
            return value;
        };
        foldedNames.push_back(name);
        keys.push_back({bytesAt(0), bytesAt(8), static_cast<std::uint32_t>(i)});
    }
    // Equal names keep the list's order (by index), so the first of them is kept.
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (a.next != b.next)
            return a.next < b.next;
        const int order = foldedNames[a.index].compare(foldedNames[b.index]);
        return order != 0 ? order < 0 : a.index < b.index;
    });
    keys.erase(std::unique(keys.begin(), keys.end(),
                           [&](const Key& a, const Key& b) { return foldedNames[a.index] == foldedNames[b.index]; }),
               keys.end());
    std::vector<std::string_view> fresh;
    fresh.reserve(keys.size());
    for (const Key& key : keys)
        fresh.push_back(names[key.index]);
    int added = 0;
    std::vector<std::string> merged;
    merged.reserve(items_.size() + fresh.size());
    auto old = items_.begin();
    for (const std::string_view name : fresh) {
        for (; old != items_.end() && folded(*old, name); ++old)
            merged.push_back(std::move(*old));
        if (old != items_.end() && same(*old, name))
            continue;
        ++added;
        merged.emplace_back(name);
    }
    // Names were moved into the merge on the way, so it replaces the list even when
    // nothing was new.
    std::move(old, items_.end(), std::back_inserter(merged));
    items_ = std::move(merged);
    return added;
}

} // namespace pell::session
