#include "irc/IrcMessage.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using pell::irc::IrcMessage;

namespace {

struct TokenizeCase {
    std::string line;
    std::string senderNick;
    std::string senderAddress;
    std::string command;
    std::string content;
    std::map<int, std::string> tokens; // every index not listed must be empty
};

void expectParsed(const IrcMessage& m, const TokenizeCase& c)
{
    SCOPED_TRACE(c.line);
    EXPECT_EQ(m.SenderNick, c.senderNick);
    EXPECT_EQ(m.SenderAddress, c.senderAddress);
    EXPECT_EQ(m.Command, c.command);
    EXPECT_EQ(m.Content, c.content);
    EXPECT_EQ(m.Tokens[1], m.Command);
    for (int i = 0; i < IrcMessage::kTokenCount; ++i) {
        const auto expected = c.tokens.find(i);
        EXPECT_EQ(m[i], expected == c.tokens.end() ? "" : expected->second) << "token " << i;
    }
}

const TokenizeCase kCases[] = {
    {"PING :srv", "", "", "PING", ":srv", {{1, "PING"}, {2, "srv"}}},
    {":srv 001 me :Welcome", "", "srv", "001", "me :Welcome",
     {{0, "srv"}, {1, "001"}, {2, "me"}, {3, "Welcome"}}},
    {":bob!bobu PRIVMSG #c :hello there", "bob", "bobu", "PRIVMSG", "#c :hello there",
     {{0, "bob!bobu"}, {1, "PRIVMSG"}, {2, "#c"}, {3, "hello there"}}},
    {":bob!bobu TOPIC #c :", "bob", "bobu", "TOPIC", "#c :", {{0, "bob!bobu"}, {1, "TOPIC"}, {2, "#c"}}},
    {"MODE #c +b x:y", "", "", "MODE", "#c +b x:y", {{1, "MODE"}, {2, "#c"}, {3, "+b"}, {4, "x:y"}}},
    {"MODE #c  +o", "", "", "MODE", "#c  +o", {{1, "MODE"}, {2, "#c"}, {4, "+o"}}},
    {"QUIT", "", "", "QUIT", "", {{1, "QUIT"}}},
    // Only the first "!" splits; the address keeps the rest as sent.
    {":a!b!c@d NOTICE x :y", "a", "b!c@d", "NOTICE", "x :y",
     {{0, "a!b!c@d"}, {1, "NOTICE"}, {2, "x"}, {3, "y"}}},
    {":srv 311 me bob bobu bobhost * :Bob B", "", "srv", "311", "me bob bobu bobhost * :Bob B",
     {{0, "srv"}, {1, "311"}, {2, "me"}, {3, "bob"}, {4, "bobu"}, {5, "bobhost"}, {6, "*"}, {7, "Bob B"}}},
    // A prefix with no blank after it: no usable command, handled as an unknown one.
    {":lonely!prefix", "", "", ":lonely!prefix", "", {{1, ":lonely!prefix"}}},
    {"", "", "", "", "", {}},
    // A trailing parameter keeps its blanks and colons.
    {"PRIVMSG #c :a  b :c", "", "", "PRIVMSG", "#c :a  b :c", {{1, "PRIVMSG"}, {2, "#c"}, {3, "a  b :c"}}},
};

TEST(Tokenize, ExampleLines)
{
    IrcMessage m;
    for (const TokenizeCase& c : kCases) {
        m.Tokenize(c.line);
        expectParsed(m, c);
    }
}

TEST(Tokenize, LaterLineKeepsNothingOfAnEarlierLongerOne)
{
    IrcMessage m;
    m.Tokenize(":srv 311 me bob bobu bobhost * :Bob B");
    m.Tokenize("PING :x");
    expectParsed(m, {"PING :x", "", "", "PING", ":x", {{1, "PING"}, {2, "x"}}});
}

TEST(Tokenize, MoreThan28ParametersKeepsTheFirst28AndDoesNotDisturbTheNextLine)
{
    std::string line = "CMD";
    for (int i = 0; i < 40; ++i)
        line += " p" + std::to_string(i);
    IrcMessage m;
    m.Tokenize(line);
    EXPECT_EQ(m.Command, "CMD");
    for (int i = 2; i < IrcMessage::kTokenCount; ++i)
        EXPECT_EQ(m[i], "p" + std::to_string(i - 2));

    m.Tokenize(":n!u PART #c");
    expectParsed(m, {":n!u PART #c", "n", "u", "PART", "#c", {{0, "n!u"}, {1, "PART"}, {2, "#c"}}});
}

TEST(Tokenize, RemaindersAreCutAt512Characters)
{
    const std::string longText(600, 'x');
    IrcMessage m;
    m.Tokenize("NOTICE me :" + longText);
    // Content is the remainder after the command: "me :" plus the text, cut to 512.
    EXPECT_EQ(m.Content.size(), 512u);
    EXPECT_EQ(m[3], std::string(508, 'x'));

    // With a prefix the remainder after it is cut first, and again after the command.
    m.Tokenize(":srv NOTICE me :" + longText);
    EXPECT_EQ(m.Content, "me :" + std::string(512 - 7 - 4, 'x'));

    // The prefix itself is not cut, only what follows it.
    const std::string longPrefix(700, 'p');
    m.Tokenize(":" + longPrefix + " PING :a");
    EXPECT_EQ(m[0], longPrefix);
    EXPECT_EQ(m.Command, "PING");
    EXPECT_EQ(m[2], "a");
}

TEST(Tokenize, ControlBytesInsideALineStayInItsTokens)
{
    static const char raw[] = ":b!u PRIVMSG #c :a\0b\x01\x07";
    const std::string line(raw, sizeof raw - 1);
    IrcMessage m;
    m.Tokenize(line);
    EXPECT_EQ(m[3], std::string("a\0b\x01\x07", 5));
}

} // namespace
