#pragma once

#include <string>

namespace pell::session {

// The name "Save" writes to: ".rtf" is appended unless the extension after the last
// dot is exactly ".rtf".
std::string RtfFileName(const std::string& chosen);

// Writes the bytes to the file through a temporary name, so a failed write leaves an
// older file whole. Throws std::runtime_error with a message for the user.
void WriteFileReplacing(const std::string& path, const std::string& bytes);

} // namespace pell::session
