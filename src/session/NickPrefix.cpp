#include "session/NickPrefix.h"

namespace pell::session {

std::string StripNickPrefix(std::string_view entry)
{
    if (!entry.empty() && entry.front() == '@')
        entry.remove_prefix(1);
    if (!entry.empty() && entry.front() == '+')
        entry.remove_prefix(1);
    return std::string(entry);
}

std::string NickPrefixOf(std::string_view entry)
{
    if (!entry.empty() && (entry.front() == '+' || entry.front() == '@'))
        return std::string(1, entry.front());
    return {};
}

} // namespace pell::session
