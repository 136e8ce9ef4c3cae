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
    EXPECT_EQ(m.Tags, c.one("tags"));
    for (const std::string& tag : c.lines("tag")) {
        const std::string key = tag.substr(0, tag.find('='));
        EXPECT_EQ(m.Tag(key), tag.substr(key.size() + 1)) << key;
    }
}

TEST(Tokenize, ExampleLines)
{
    IrcMessage m;
    for (const pell::test::Case& c : pell::test::readCases("../irc/tokenize.cases")) {
        m.Tokenize(c.one("line"));
        expectParsed(m, c);
    }
}

// A tag section up to the limit (its "@" and blank included) is kept, one byte more is
// dropped; neither moves the rest of the line.
TEST(Tokenize, TagSectionLimit)
{
    IrcMessage m;
    for (const std::size_t length : {IrcMessage::kTagLimit, IrcMessage::kTagLimit + 1}) {
        const std::string tags = "a=" + std::string(length - 4, 'x');
        m.Tokenize("@" + tags + " :srv PING :pong");
        EXPECT_EQ(m.Tags, length == IrcMessage::kTagLimit ? tags : "");
        EXPECT_EQ(m.Command, "PING");
        EXPECT_EQ(m[2], "pong");
    }
}

} // namespace
