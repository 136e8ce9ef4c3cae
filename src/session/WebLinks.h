#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// A web address found in a line of text: where it stands (in bytes) and what opening
// it means.
struct WebLink {
    std::size_t Begin = 0;
    std::size_t Length = 0;
    // The address to open: the text itself, or "http://" in front of a "www." address.
    std::string Target;

    bool operator==(const WebLink&) const = default;
};

// The starts of the only addresses that are links and that the desktop may open, in
// lower case; a "www." address opens as "http://" + address. The one list for both.
struct LinkMarker {
    std::string_view Text;
    bool NeedsHttp;
};
inline constexpr std::array<LinkMarker, 5> LinkMarkers{{
    {"http://", false},
    {"https://", false},
    {"ftp://", false},
    {"mailto:", false},
    {"www.", true},
}};

// Finds the addresses a text view marks as links. Only http://, https://, ftp://,
// mailto: and www. count (letters in any case); every other scheme (file:, javascript:,
// ...) stays plain text, also when one of these markers follows it directly. An address
// ends before white space, control bytes, quotes and angle brackets; trailing sentence
// punctuation and an unbalanced closing parenthesis are not part of it.
std::vector<WebLink> FindWebLinks(std::string_view text);

} // namespace pell::session
