#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace pell::session {

// Colours are red in the lowest byte, then green, then blue.
using Rgb = std::uint32_t;

// A stretch of a line with one set of attributes. Text is the line's bytes as received.
struct TextRun {
    std::string Text;
    Rgb Colour = 0;
    bool Bold = false;
    bool Underline = false;

    bool operator==(const TextRun&) const = default;
};

// Readable test failures.
inline std::ostream& operator<<(std::ostream& out, const TextRun& run)
{
    return out << '"' << run.Text << "\" colour " << run.Colour << (run.Bold ? " bold" : "")
               << (run.Underline ? " underline" : "");
}

// One line of a text tab, as the runs it shows; a line with no runs is an empty line.
struct FormattedLine {
    std::vector<TextRun> Runs;
    Rgb BaseColour = 0;

    std::string PlainText() const;
    bool operator==(const FormattedLine&) const = default;
};

} // namespace pell::session
