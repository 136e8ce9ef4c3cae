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

} // namespace
