#include "session/RtfWriter.h"

#include "session/Utf8Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace pell::session {

namespace {

void appendUnicodeEscape(std::string& out, char32_t unit)
{
    // RTF wants a signed 16-bit number, followed by the fallback for older readers.
    out += "\\u" + std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(unit))) + "?";
}

void appendEscaped(std::string& out, const std::u32string& text)
{
    char hex[8];
    for (char32_t c : text) {
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c < 0x20) {
            // Other control bytes have no printable form; the view shows nothing either.
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0xA0 && c <= 0xFF) {
            // Same in Latin-1 and in the Windows code page the header names.
            std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned>(c));
            out += hex;
        } else if (c <= 0xFFFF) {
            appendUnicodeEscape(out, c);
        } else {
            const char32_t v = c - 0x10000;
            appendUnicodeEscape(out, 0xD800 + (v >> 10));
            appendUnicodeEscape(out, 0xDC00 + (v & 0x3FF));
        }
    }
}

std::string colourEntry(Rgb colour)
{
    return "\\red" + std::to_string(colour & 0xFF) + "\\green" + std::to_string((colour >> 8) & 0xFF) +
           "\\blue" + std::to_string((colour >> 16) & 0xFF) + ";";
}

} // namespace

std::string WriteRtf(const std::vector<FormattedLine>& lines)
{
    std::vector<Rgb> colours;
    for (const auto& line : lines)
        for (std::size_t i = 0; i < line.RunCount(); ++i)
            if (const Rgb colour = line.RunAt(i).Colour; std::find(colours.begin(), colours.end(), colour) == colours.end())
                colours.push_back(colour);

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern Courier New;}}\n{\\colortbl;";
    for (Rgb colour : colours)
        out += colourEntry(colour);
    out += "}\n\\f0\\fs20\n";

    for (const auto& line : lines) {
        for (std::size_t i = 0; i < line.RunCount(); ++i) {
            const TextRunView run = line.RunAt(i);
            const auto index = std::find(colours.begin(), colours.end(), run.Colour) - colours.begin() + 1;
            out += "{\\cf" + std::to_string(index);
            if (run.Bold)
                out += "\\b";
            if (run.Underline)
                out += "\\ul";
            if (run.Italic)
                out += "\\i";
            out += ' ';
            appendEscaped(out, DecodeText(run.Text));
            out += '}';
        }
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

} // namespace pell::session
