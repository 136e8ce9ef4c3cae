#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pell::app {

// Decides which addresses the program hands to the desktop to open: only those that
// start with one of the link markers of the text view (any letter case). Everything else (file:,
// javascript:, a bare word, an address with control characters or blanks) is refused,
// so a link in a chat can never start a local program or open a local file.
// Returns the address to open, or nothing when it must not be opened.
std::optional<std::string> openableUrl(std::string_view address);

} // namespace pell::app
