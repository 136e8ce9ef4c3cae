#include "session/LineFormatter.h"
#include "session/RtfWriter.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

using namespace pell::session;

namespace {

constexpr Rgb Base = RgbColour(0x12, 0x34, 0x56), Red = RgbColour(0xFF, 0, 0), Aqua = RgbColour(0, 0xFF, 0xFF),
              Navy = RgbColour(0, 0, 0x80), Blue = RgbColour(0, 0, 0xFF);

// A run as the data files write it: "text|colour" with "|bold" and "|underline".
std::string shown(const TextRun& run)
{
    std::string colour = std::to_string(run.Colour);
    for (const auto& [rgb, name] : {std::pair{Base, "base"}, {Red, "red"}, {Aqua, "aqua"}, {Navy, "navy"}})
        colour = rgb == run.Colour ? name : colour;
    return run.Text + "|" + colour + (run.Bold ? "|bold" : "") + (run.Underline ? "|underline" : "");
}

// The document body after the header: one "...\par" per line.
std::string bodyOf(const std::string& rtf)
{
    const auto start = rtf.find("\\fs20\n");
    return rtf.substr(start + 6, rtf.size() - start - 6 - 2);
}

std::string rtfOf(const std::string& line, Rgb base = Blue)
{
    return bodyOf(WriteRtf({FormatLine(line, base)}));
}

} // namespace

// Tables: tests/data/session/format-line.txt and rtf.txt.
TEST(FormatLine, SplitsIntoRunsAtEveryCode)
{
    for (const auto& c : pell::test::readCases("session/format-line.txt")) {
        SCOPED_TRACE(c.name);
        const FormattedLine line = FormatLine(c.one("line"), Base);
        std::vector<std::string> runs;
        for (const auto& r : line.Runs())
            runs.push_back(shown(r));
        EXPECT_EQ(runs, c.lines("run"));
        EXPECT_EQ(line.BaseColour(), Base);
        std::string expected;
        for (const auto& r : c.lines("run"))
            expected += r.substr(0, r.find('|'));
        EXPECT_EQ(line.Text(), expected); // the text without its codes
    }
}

// The header lists each colour once in order of use; the encoding is chosen per line.
TEST(RtfWriter, HeaderListsEachColourOnceAndEachLineHasItsEncoding)
{
    const std::string rtf = WriteRtf({FormatLine("a\x03" "4b", Blue), FormatLine("\xc3\xa9", Blue), FormatLine("\xc3", Blue)});
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green0\\blue255;\\red255\\green0\\blue0;}"), std::string::npos);
    EXPECT_EQ(bodyOf(rtf), "{\\cf1 a}{\\cf2 b}\\par\n{\\cf1 \\'e9}\\par\n{\\cf1 \\'c3}\\par\n");
    EXPECT_EQ(rtf.substr(rtf.size() - 2), "}\n");
}

TEST(RtfWriter, RunsAndEscapes)
{
    for (const auto& c : pell::test::readCases("session/rtf.txt"))
        EXPECT_EQ(rtfOf(c.one("line")), c.one("rtf") + "\n") << c.name;
}

TEST(RtfWriter, OutputIsPlainAscii)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (char c : WriteRtf({FormatLine(all, Blue)}))
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}
