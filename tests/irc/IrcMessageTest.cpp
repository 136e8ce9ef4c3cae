#include "irc/IrcMessage.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using pell::irc::IrcMessage;
using namespace std::string_literals;

namespace {

struct Parsed {
    std::string line, senderNick, senderAddress, command, content;
    std::map<int, std::string> tokens; // every index not listed must be empty
};

void expectParsed(const IrcMessage& m, const Parsed& c)
{
    SCOPED_TRACE(c.line);
    EXPECT_EQ(m.SenderNick, c.senderNick);
    EXPECT_EQ(m.SenderAddress, c.senderAddress);
    EXPECT_EQ(m.Command, c.command);
    EXPECT_EQ(m.Content, c.content);
    for (int i = 0; i < IrcMessage::kTokenCount; ++i) {
        const auto expected = c.tokens.find(i);
        EXPECT_EQ(m[i], expected == c.tokens.end() ? "" : expected->second) << "token " << i;
    }
}

// One message parses them all in turn, so each row also proves nothing of the one
// before it is left over.
TEST(Tokenize, ExampleLines)
{
    const Parsed rows[] = {
        {"PING :srv", "", "", "PING", ":srv", {{1, "PING"}, {2, "srv"}}},
        {":srv 311 me bob bobu bobhost * :Bob B", "", "srv", "311", "me bob bobu bobhost * :Bob B",
         {{0, "srv"}, {1, "311"}, {2, "me"}, {3, "bob"}, {4, "bobu"}, {5, "bobhost"}, {6, "*"}, {7, "Bob B"}}},
        {":bob!bobu PRIVMSG #c :hello there", "bob", "bobu", "PRIVMSG", "#c :hello there",
         {{0, "bob!bobu"}, {1, "PRIVMSG"}, {2, "#c"}, {3, "hello there"}}},
        {":bob!bobu TOPIC #c :", "bob", "bobu", "TOPIC", "#c :", {{0, "bob!bobu"}, {1, "TOPIC"}, {2, "#c"}}},
        {"MODE #c +b x:y", "", "", "MODE", "#c +b x:y", {{1, "MODE"}, {2, "#c"}, {3, "+b"}, {4, "x:y"}}},
        {"MODE #c  +o", "", "", "MODE", "#c  +o", {{1, "MODE"}, {2, "#c"}, {4, "+o"}}},
        {"QUIT", "", "", "QUIT", "", {{1, "QUIT"}}},
        // Only the first "!" splits; the address keeps the rest as sent.
        {":a!b!c@d NOTICE x :y", "a", "b!c@d", "NOTICE", "x :y", {{0, "a!b!c@d"}, {1, "NOTICE"}, {2, "x"}, {3, "y"}}},
        // A prefix with no blank after it: no usable command, handled as an unknown one.
        {":lonely!prefix", "", "", ":lonely!prefix", "", {{1, ":lonely!prefix"}}},
        {"", "", "", "", "", {}},
        // A trailing parameter keeps its blanks and colons; control bytes are data.
        {"PRIVMSG #c :a  b :c", "", "", "PRIVMSG", "#c :a  b :c", {{1, "PRIVMSG"}, {2, "#c"}, {3, "a  b :c"}}},
        {":b!u PRIVMSG #c :a\0b\x01\x07"s, "b", "u", "PRIVMSG", "#c :a\0b\x01\x07"s,
         {{0, "b!u"}, {1, "PRIVMSG"}, {2, "#c"}, {3, "a\0b\x01\x07"s}}},
    };
    IrcMessage m;
    for (const Parsed& row : rows) {
        m.Tokenize(row.line);
        expectParsed(m, row);
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
    expectParsed(m, {":n!u PART #c", "n", "u", "PART", "#c", {{0, "n!u"}, {1, "PART"}, {2, "#c"}}});
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
