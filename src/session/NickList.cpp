#include "session/NickList.h"

#include "irc/CaseFold.h"
#include "session/NickPrefix.h"

#include <algorithm>

namespace pell::session {

int NickList::CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(irc::foldChar(a[i]));
        const auto cb = static_cast<unsigned char>(irc::foldChar(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t NickList::rankOf(std::string_view entry) const
{
    return entry.empty() ? symbols_.size() : std::min(symbols_.find(entry.front()), symbols_.size());
}

int NickList::compareRanked(std::string_view a, std::string_view b) const
{
    const std::size_t rankA = rankOf(a);
    const std::size_t rankB = rankOf(b);
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    return CompareFolded(a, b);
}

bool NickList::Before(std::string_view a, std::string_view b) const
{
    const int ranked = compareRanked(a, b);
    if (ranked != 0)
        return ranked < 0;
    return a < b;
}

void NickList::SetPrefixSymbols(std::string symbols)
{
    if (symbols == symbols_)
        return;
    symbols_ = std::move(symbols);
    std::sort(entries_.begin(), entries_.end(), [this](const std::string& x, const std::string& y) { return Before(x, y); });
}

void NickList::Add(std::string entry)
{
    auto at = std::upper_bound(entries_.begin(), entries_.end(), entry,
                               [this](const std::string& x, const std::string& y) { return Before(x, y); });
    entries_.insert(at, std::move(entry));
}

int NickList::RemoveNick(std::string_view nick)
{
    const auto before = entries_.size();
    std::erase_if(entries_, [&](const std::string& entry) { return StripNickPrefix(entry, symbols_) == nick; });
    return static_cast<int>(before - entries_.size());
}

int NickList::RenameNick(std::string_view oldNick, std::string_view newNick)
{
    std::vector<std::string> renamed;
    std::erase_if(entries_, [&](const std::string& entry) {
        if (StripNickPrefix(entry, symbols_) != oldNick)
            return false;
        renamed.push_back(NickPrefixOf(entry, symbols_) + std::string(newNick));
        return true;
    });
    for (auto& entry : renamed)
        Add(std::move(entry));
    return static_cast<int>(renamed.size());
}

bool NickList::ContainsIgnoringCase(std::string_view entry) const
{
    // Sorted by rank and folded text first, so the folded equal ones sit together.
    auto at = std::lower_bound(entries_.begin(), entries_.end(), entry,
                               [this](const std::string& x, std::string_view y) { return compareRanked(x, y) < 0; });
    return at != entries_.end() && irc::sameTextIgnoringCase(*at, entry);
}

void NickList::Refill(std::vector<std::string> entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [this](const std::string& a, const std::string& b) { return compareRanked(a, b) < 0; });
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [](const std::string& a, const std::string& b) {
                                  return irc::sameTextIgnoringCase(a, b);
                              }),
                  entries.end());
    entries_ = std::move(entries);
}

} // namespace pell::session
