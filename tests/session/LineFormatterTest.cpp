#include "session/LineFormatter.h"

#include <gtest/gtest.h>

using namespace pell::session;

namespace {

constexpr Rgb Base = RgbColour(0x12, 0x34, 0x56);
constexpr Rgb Red = RgbColour(0xFF, 0, 0);
constexpr Rgb Aqua = RgbColour(0, 0xFF, 0xFF);
constexpr Rgb Navy = RgbColour(0, 0, 0x80);

TextRun run(const char* text, Rgb colour = Base, bool bold = false, bool underline = false)
{
    return TextRun{text, colour, bold, underline};
}

} // namespace

TEST(IrcColorTable, HoldsTheTenColoursRedLowest)
{
    EXPECT_EQ(IrcColorTable[0], 0x000000u);
    EXPECT_EQ(IrcColorTable[1], 0xFFFF00u);
    EXPECT_EQ(IrcColorTable[2], 0x800000u);
    EXPECT_EQ(IrcColorTable[3], 0x008000u);
    EXPECT_EQ(IrcColorTable[4], 0x0000FFu);
    EXPECT_EQ(IrcColorTable[5], 0x000080u);
    EXPECT_EQ(IrcColorTable[6], 0xFF00FFu);
    EXPECT_EQ(IrcColorTable[7], 0x008080u);
    EXPECT_EQ(IrcColorTable[8], 0x00FFFFu);
    EXPECT_EQ(IrcColorTable[9], 0x00FF00u);
}

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
        EXPECT_EQ(line.Text(), shown) << c.name;
    }
}
