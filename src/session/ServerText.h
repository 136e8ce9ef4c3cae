#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// The parameters of a server line's raw parameter text, the trailing one without its
// colon: "me #c :the topic" gives "me", "#c", "the topic".
std::vector<std::string_view> ParametersOf(std::string_view content);

// What a server says, as one readable line: the parameters from `first` on, joined by
// blanks (a reply's first parameter is the nick it is for).
std::string ServerText(std::string_view content, std::size_t first);

// A time the server sent as seconds since 1970, in the local date and time format;
// empty when the text is no such number.
std::string LocalDateTime(std::string_view seconds);

} // namespace pell::session
