#include "session/NickPrefix.h"

namespace pell::session {

std::string StripNickPrefix(std::string_view entry, std::string_view symbols)
{
    for (const char symbol : symbols)
        if (!entry.empty() && entry.front() == symbol)
            entry.remove_prefix(1);
    return std::string(entry);
}

std::string NickPrefixOf(std::string_view entry, std::string_view symbols)
{
    if (!entry.empty() && symbols.find(entry.front()) != std::string_view::npos)
        return std::string(1, entry.front());
    return {};
}

} // namespace pell::session
