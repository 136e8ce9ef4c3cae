#include "session/LineFormatter.h"
#include "session/RtfWriter.h"

#include <gtest/gtest.h>

using namespace pell::session;

namespace {

constexpr Rgb Base = RgbColour(0x12, 0x34, 0x56), Red = RgbColour(0xFF, 0, 0), Aqua = RgbColour(0, 0xFF, 0xFF),
              Navy = RgbColour(0, 0, 0x80), Blue = RgbColour(0, 0, 0xFF);

TextRun run(const char* text, Rgb colour = Base, bool bold = false, bool underline = false)
{
    return TextRun{text, colour, bold, underline};
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

TEST(FormatLine, SplitsIntoRunsAtEveryCode)
{
    const struct {
        const char* name;
        std::string line;
        std::vector<TextRun> runs;
    } cases[] = {
        {"plain", "<bob>:hi", {run("<bob>:hi")}},
        {"empty", "", {}},
        {"bold toggles", "a\x02" "b\x02" "c", {run("a"), run("b", Base, true), run("c")}},
        {"underline toggles", "a\x1f" "b", {run("a"), run("b", Base, false, true)}},
        {"bold and underline", "\x02\x1fx", {run("x", Base, true, true)}},
        {"colour 4 is red", "a\x03" "4rest", {run("a"), run("rest", Red)}},
        {"one digit only", "\x03" "12x", {run("2x", Aqua)}},
        {"background is text", "\x03" "2,4x", {run(",4x", Navy)}},
        {"colour stays over bold", "\x03" "4a\x02" "b", {run("a", Red), run("b", Red, true)}},
        {"codes without text", "\x02\x02\x1f\x1f", {}},
        {"other controls are text", "a\x01" "b\x0f", {run("a\x01" "b\x0f")}},
        {"colour code at the end", "ab\x03", {run("ab")}},
        {"colour code before a letter", "a\x03" "xb", {run("axb")}},
        {"colour code before a code", "\x03\x02" "b", {run("b", Base, true)}},
        {"high bytes are text", "\xc3\xa9\xff", {run("\xc3\xa9\xff")}},
        {"codes that change nothing keep one run", "a\x02\x02" "b\x03" "4c\x03" "4d", {run("ab"), run("cd", Red)}},
    };
    for (const auto& c : cases) {
        const FormattedLine line = FormatLine(c.line, Base);
        EXPECT_EQ(line.Runs(), c.runs) << c.name;
        EXPECT_EQ(line.BaseColour(), Base) << c.name;
        std::string shown;
        for (const auto& r : c.runs)
            shown += r.Text;
        EXPECT_EQ(line.Text(), shown) << c.name; // the text without its codes
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
    const struct {
        const char* name;
        std::string line;
        std::string body;
    } cases[] = {
        {"plain", "<bob>:hi", "{\\cf1 <bob>:hi}\\par\n"},
        {"bold and underline", "a\x02" "b\x1f" "c",
         "{\\cf1 a}{\\cf1\\b b}{\\cf1\\b\\ul c}\\par\n"},
        {"colour", "a\x03" "4x", "{\\cf1 a}{\\cf2 x}\\par\n"},
        {"braces and backslashes", "{a}\\b", "{\\cf1 \\{a\\}\\\\b}\\par\n"},
        {"tab", "a\tb", "{\\cf1 a\\tab b}\\par\n"},
        {"other controls are dropped", "a\x01" "b", "{\\cf1 ab}\\par\n"},
        {"utf-8 Latin letter", "caf\xc3\xa9", "{\\cf1 caf\\'e9}\\par\n"},
        {"utf-8 beyond Latin-1", "\xe2\x82\xac", "{\\cf1 \\u8364?}\\par\n"},
        {"utf-8 above 32767 is negative", "\xef\xbc\xa1", "{\\cf1 \\u-223?}\\par\n"},
        {"utf-8 outside the BMP", "\xf0\x9f\x98\x80", "{\\cf1 \\u-10179?\\u-8704?}\\par\n"},
        {"invalid utf-8 is Latin-1", "caf\xe9 \x80", "{\\cf1 caf\\'e9 \\u128?}\\par\n"},
        {"overlong utf-8 is Latin-1", "\xc0\xaf", "{\\cf1 \\'c0\\'af}\\par\n"},
        {"utf-8 past U+10FFFF is Latin-1", "\xf4\x90\x80\x80", "{\\cf1 \\'f4\\u144?\\u128?\\u128?}\\par\n"},
        {"empty line", "", "\\par\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rtfOf(c.line), c.body) << c.name;
}

TEST(RtfWriter, OutputIsPlainAscii)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (char c : WriteRtf({FormatLine(all, Blue)}))
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}
