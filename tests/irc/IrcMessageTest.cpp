#include "irc/IrcMessage.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <string>

using pell::irc::IrcMessage;

namespace {

// The sender, command and content, then every token; "" where the case lists none.
void expectParsed(const IrcMessage& m, const pell::test::Case& c)
{
    SCOPED_TRACE(c.name);
    EXPECT_EQ(m.SenderNick + "|" + m.SenderAddress + "|" + m.Command + "|" + m.Content,
              c.one("nick") + "|" + c.one("address") + "|" + c.one("command") + "|" + c.one("content"));
    for (int i = 0; i < IrcMessage::kTokenCount; ++i)
        EXPECT_EQ(m[i], c.one(std::to_string(i))) << "token " << i;
}

TEST(Tokenize, ExampleLines)
{
    IrcMessage m;
    for (const pell::test::Case& c : pell::test::readCases("../irc/tokenize.cases")) {
        m.Tokenize(c.one("line"));
        expectParsed(m, c);
    }
}

TEST(Tokenize, MoreThan28ParametersKeepsTheFirst28AndDoesNotDisturbTheNextLine)
{
    std::string line = "CMD";
    for (int i = 0; i < 40; ++i)
        line += " p" + std::to_string(i);
    IrcMessage m;
    m.Tokenize(line);
    for (int i = 2; i < IrcMessage::kTokenCount; ++i)
        EXPECT_EQ(m[i], "p" + std::to_string(i - 2));
    m.Tokenize(":n!u PART #c");
    expectParsed(m, {"the line after", {{"nick", {"n"}}, {"address", {"u"}}, {"command", {"PART"}}, {"content", {"#c"}},
                                        {"0", {"n!u"}}, {"1", {"PART"}}, {"2", {"#c"}}}});
}

TEST(Tokenize, RemaindersAreCutAt512Characters)
{
    const std::string longText(600, 'x');
    IrcMessage m;
    m.Tokenize("NOTICE me :" + longText); // the remainder after the command, cut to 512
    EXPECT_EQ(m.Content.size(), 512u);
    EXPECT_EQ(m[3], std::string(508, 'x'));
    // With a prefix the remainder after it is cut first, and again after the command.
    m.Tokenize(":srv NOTICE me :" + longText);
    EXPECT_EQ(m.Content, "me :" + std::string(512 - 7 - 4, 'x'));
    // The prefix itself is not cut.
    const std::string longPrefix(700, 'p');
    m.Tokenize(":" + longPrefix + " PING :a");
    EXPECT_EQ(m[0], longPrefix);
    EXPECT_EQ(m[2], "a");
}

} // namespace
