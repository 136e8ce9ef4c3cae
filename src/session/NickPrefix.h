#pragma once

#include <string>
#include <string_view>

namespace pell::session {

// The nick of a nick-list entry: drops each prefix symbol in turn, highest rank first,
// when it leads what is left ("@+bob" and "+bob" give "bob", "+@bob" gives "@bob").
std::string StripNickPrefix(std::string_view entry, std::string_view symbols = "@+");

// The prefix a renamed entry keeps: its first character when that is a prefix symbol.
std::string NickPrefixOf(std::string_view entry, std::string_view symbols = "@+");

} // namespace pell::session
