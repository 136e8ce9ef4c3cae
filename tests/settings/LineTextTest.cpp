#include "settings/LineText.h"
#include "settings/SettingsError.h"

#include <gtest/gtest.h>

#include <climits>

using namespace pell::settings;
using namespace std::string_literals;

namespace {

struct SplitCase {
    std::string text;
    Lines lines;
};

TEST(LineText, SplitsAtCrLfOrCrLfAndStopsAtNul)
{
    const SplitCase cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\r\rb", {"a", "", "b"}},  // CR CR: two line ends
        {"a\n\rb", {"a", "", "b"}},  // LF CR is not one line end
        {"a\n\nb", {"a", "", "b"}},
        {"a\0b\r\nc"s, {"a"}},       // NUL ends the text
        {"\0abc"s, {}},
        {"ab\r\0\ncd"s, {"ab"}},
        {"\xe9\xff\r\n", {"\xe9\xff"}}, // bytes above 127 are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseLines(c.text), c.lines) << "text of " << c.text.size() << " bytes";
}

TEST(LineText, EveryLineEndsWithCrLfIncludingTheLast)
{
    EXPECT_EQ(joinLines({}), "");
    EXPECT_EQ(joinLines({""}), "\r\n");
    EXPECT_EQ(joinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(LineText, JoinedLinesParseBackToThemselves)
{
    const Lines lines{"x", "", "  spaced  ", "\xd2\xce\xd9", "last"};
    EXPECT_EQ(parseLines(joinLines(lines)), lines);
}

TEST(LineText, StrToIntReadsSignedDecimals)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {"0", 0}, {"6667", 6667}, {"-1", -1}, {"+5", 5}, {"007", 7},
        {"16744576", 16744576}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(StrToInt(text), value) << text;
}

TEST(LineText, StrToIntRejectsEverythingElseWithTheConversionText)
{
    const std::string cases[] = {
        "", "-", "+", "abc", "12a", " 12", "12 ", "1.5", "0x10", "$10", "--1",
        "2147483648", "-2147483649", "99999999999999999999999", "\xe9",
    };
    for (const auto& text : cases) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.what(), "'" + text + "' is not a valid integer value");
            EXPECT_EQ(error.text(), text);
        }
    }
}

TEST(LineText, IntToStrIsPlainDecimal)
{
    EXPECT_EQ(IntToStr(-1), "-1");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
}

TEST(LineText, RemoveSpacesJoinsWords)
{
    EXPECT_EQ(removeSpaces("my nick"), "mynick");
    EXPECT_EQ(removeSpaces("  a  b  "), "ab");
    EXPECT_EQ(removeSpaces("tab\there"), "tab\there"); // only the space character
}

} // namespace
