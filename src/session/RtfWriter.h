#pragma once

#include "session/FormattedLine.h"

#include <string>
#include <vector>

namespace pell::session {

// The lines of a text tab as a Rich Text Format document: one paragraph per line, each
// run with its colour, bold and underline. Bytes are read as the text view reads them
// (valid UTF-8 as UTF-8, any other byte as Latin-1); characters outside ASCII are
// written as escapes, so the file itself is plain ASCII.
std::string WriteRtf(const std::vector<FormattedLine>& lines);

} // namespace pell::session
