#pragma once

#include <string>
#include <string_view>

namespace pell::session {

// The nick of a nick-list entry: drops one leading "@", then one leading "+".
std::string StripNickPrefix(std::string_view entry);

// The prefix a renamed entry keeps: only the first character counts.
std::string NickPrefixOf(std::string_view entry);

} // namespace pell::session
