#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
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
    bool Italic = false;

    bool operator==(const TextRun&) const = default;
};

// The same, viewing into the line that holds it.
struct TextRunView {
    std::string_view Text;
    Rgb Colour = 0;
    bool Bold = false;
    bool Underline = false;
    bool Italic = false;
};

// Readable test failures.
inline std::ostream& operator<<(std::ostream& out, const TextRun& run)
{
    return out << '"' << run.Text << "\" colour " << run.Colour << (run.Bold ? " bold" : "")
               << (run.Underline ? " underline" : "") << (run.Italic ? " italic" : "");
}

// One line of a text tab, as the runs it shows; a line with no runs is an empty line.
// Text views only grow, so a line is one block: the run table (end offset with the
// bold, underline and italic bits, colour) followed by the shown bytes, in a single
// allocation.
class FormattedLine {
public:
    FormattedLine() = default;

    Rgb BaseColour() const { return base_; }
    std::size_t RunCount() const { return runCount_; }
    TextRunView RunAt(std::size_t index) const;
    // Owning copies of the runs, for the rarer readers (saving, tests).
    std::vector<TextRun> Runs() const;
    // The shown bytes of the whole line, without codes.
    std::string_view Text() const { return std::string_view(data_).substr(runCount_ * RunBytes); }
    std::string PlainText() const { return std::string(Text()); }

    // The whole line as one byte string, for packed storage, and back. Unpack trusts
    // its input: it reads only what Pack wrote.
    void PackInto(std::string& out) const;
    static FormattedLine Unpack(std::string_view packed);

    bool operator==(const FormattedLine&) const = default;

private:
    friend class FormattedLineBuilder;
    static constexpr std::size_t RunBytes = 8;

    std::string data_;
    Rgb base_ = 0;
    std::uint32_t runCount_ = 0;
};

// Fills a line in two passes over the same pieces: first CountRun each, then Allocate,
// then AddRun each in the same order. A piece with the attributes of the one before
// extends that run, so a code that changes nothing never splits a run.
class FormattedLineBuilder {
public:
    explicit FormattedLineBuilder(Rgb base) { line_.base_ = base; }
    void CountRun(std::string_view text, Rgb colour, bool bold, bool underline, bool italic = false);
    void Allocate();
    void AddRun(std::string_view text, Rgb colour, bool bold, bool underline, bool italic = false);
    FormattedLine Finish() { return std::move(line_); }

    // Longest run offset the table can hold; longer lines are cut there.
    static constexpr std::size_t MaxTextBytes = (std::size_t{1} << 29) - 1;

private:
    FormattedLine line_;
    std::size_t runs_ = 0;
    std::size_t textBytes_ = 0;
    std::size_t filledRuns_ = 0;
    std::size_t filledText_ = 0;
    // Attributes of the last piece seen, to merge equal neighbours.
    bool any_ = false;
    Rgb lastColour_ = 0;
    std::uint8_t lastFlags_ = 0;

    bool continues(Rgb colour, std::uint8_t flags);
};

} // namespace pell::session
