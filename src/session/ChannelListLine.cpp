#include "session/ChannelListLine.h"

namespace pell::session {

std::string_view ChannelFromListLine(std::string_view line)
{
    const auto hash = line.find('#');
    if (hash == std::string_view::npos)
        return {};
    const auto blank = line.find(' ', hash);
    return line.substr(hash, blank == std::string_view::npos ? std::string_view::npos : blank - hash);
}

} // namespace pell::session
