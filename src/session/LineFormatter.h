#pragma once

#include "session/FormattedLine.h"

#include <array>
#include <string_view>

namespace pell::session {

inline constexpr char BoldCode = 2;
inline constexpr char ColourCode = 3;
inline constexpr char UnderlineCode = 31;

inline constexpr Rgb RgbColour(unsigned red, unsigned green, unsigned blue)
{
    return red | (green << 8) | (blue << 16);
}

// The colours selected by the digit after the colour code.
inline constexpr std::array<Rgb, 10> IrcColorTable{
    RgbColour(0x00, 0x00, 0x00), // black
    RgbColour(0x00, 0xFF, 0xFF), // aqua
    RgbColour(0x00, 0x00, 0x80), // navy
    RgbColour(0x00, 0x80, 0x00), // green
    RgbColour(0xFF, 0x00, 0x00), // red
    RgbColour(0x80, 0x00, 0x00), // maroon
    RgbColour(0xFF, 0x00, 0xFF), // fuchsia
    RgbColour(0x80, 0x80, 0x00), // olive
    RgbColour(0xFF, 0xFF, 0x00), // yellow
    RgbColour(0x00, 0xFF, 0x00), // lime
};

// Splits a line with bold, underline and colour codes into runs, starting in the base
// colour, neither bold nor underlined. The colour code reads exactly one digit; a code
// with no digit after it (end of line, or another byte) changes nothing and the byte
// after it stays text.
FormattedLine FormatLine(std::string_view line, Rgb baseColour);

} // namespace pell::session
