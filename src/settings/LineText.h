#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pell::settings {

// The ordered lines of one settings file, bytes as they are in the file.
using Lines = std::vector<std::string>;

// Splits file text into lines: a line ends at CR, at LF or at CR LF; a NUL byte ends
// the text. A last line without an end still counts; empty text has no lines.
Lines parseLines(std::string_view text);

// The file text of the lines: every line, the last one included, followed by CR LF.
std::string joinLines(const Lines& lines);

// A signed decimal integer in 32 bits: an optional "-" or "+", then digits, nothing
// else. Anything else throws ConversionError, whose message users know.
std::int32_t ParseInt32(const std::string& text);
std::string FormatInt32(std::int32_t value);

// The text with every space character (0x20) removed, as Nick lines are written.
std::string removeSpaces(std::string_view text);

} // namespace pell::settings
