#include "session/IgnoreList.h"

#include "irc/CaseFold.h"

#include <algorithm>

namespace pell::session {

bool IgnoreList::IsIgnored(std::string_view nick) const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const std::string& entry) { return irc::sameTextIgnoringCase(entry, nick); });
}

bool IgnoreList::Add(std::string_view nick)
{
    if (IsIgnored(nick))
        return false;
    entries_.emplace_back(nick);
    return true;
}

bool IgnoreList::Remove(std::string_view nick)
{
    auto at = std::find_if(entries_.begin(), entries_.end(),
                           [&](const std::string& entry) { return irc::sameTextIgnoringCase(entry, nick); });
    if (at == entries_.end())
        return false;
    const int index = static_cast<int>(at - entries_.begin());
    entries_.erase(at);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    return true;
}

void IgnoreList::Select(int index)
{
    selected_ = (index >= 0 && index < static_cast<int>(entries_.size())) ? index : -1;
}

bool IgnoreList::DeleteSelected()
{
    if (selected_ < 0)
        return false;
    entries_.erase(entries_.begin() + selected_);
    selected_ = -1;
    return true;
}

} // namespace pell::session
