#pragma once

#include <string>

namespace pell::session {

// A text of "Main" or of no target may name its channel: when its first or second
// character is "#", the word from there on becomes the channel and is cut out of the
// text together with the blank after it. Returns true when it did.
bool TakeChannelFromText(std::string& channel, std::string& text);

} // namespace pell::session
