#pragma once

#include "session/FormattedLine.h"

#include <array>
#include <string_view>

namespace pell::session {

inline constexpr char BoldCode = 2;
inline constexpr char ColourCode = 3;
inline constexpr char ResetCode = 0x0F;
inline constexpr char ReverseCode = 0x16;
inline constexpr char ItalicCode = 0x1D;
inline constexpr char UnderlineCode = 31;

inline constexpr Rgb RgbColour(unsigned red, unsigned green, unsigned blue)
{
    return red | (green << 8) | (blue << 16);
}

// The colours selected by the number after the colour code: 0 to 9 as this program has
// always shown them, 10 to 15 the extended colours every client uses.
inline constexpr std::array<Rgb, 16> IrcColorTable{
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
    RgbColour(0x00, 0x80, 0x80), // teal
    RgbColour(0x00, 0xFF, 0xFF), // cyan
    RgbColour(0x00, 0x00, 0xFF), // blue
    RgbColour(0xFF, 0x00, 0xFF), // pink
    RgbColour(0x80, 0x80, 0x80), // grey
    RgbColour(0xC0, 0xC0, 0xC0), // light grey
};

// Splits a line with its in-text codes into runs, starting in the base colour, neither
// bold, underlined nor italic. The colour code reads up to two digits of foreground and
// an optional comma with up to two digits of background: numbers of the table set the
// colour, 99 the base colour, others and every background are read and not shown. A
// colour code without digits goes back to the base colour; the reset code ends every
// attribute; the reverse code is read and not shown.
FormattedLine FormatLine(std::string_view line, Rgb baseColour);

} // namespace pell::session
