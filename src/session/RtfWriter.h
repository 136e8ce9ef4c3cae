#pragma once

#include "session/FormattedLine.h"

#include <string>
#include <vector>

namespace pell::session {

// The lines of a text tab as a Rich Text Format document: one paragraph per line, each
// run with its colour, bold and underline. A line is read as UTF-8 when it is valid
// UTF-8 and as Latin-1 otherwise; characters outside ASCII are written as escapes, so
// the file itself is plain ASCII.
std::string WriteRtf(const std::vector<FormattedLine>& lines);

} // namespace pell::session
