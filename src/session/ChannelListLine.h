#pragma once

#include <string_view>

namespace pell::session {

// The channel name in a channel-list line: from its first "#" up to the next blank or
// the end; empty when the line has no "#". A view into the line.
std::string_view ChannelFromListLine(std::string_view line);

} // namespace pell::session
