// The servers later tests talk to, checked once each with a plain client: InspIRCd with
// atheme as services answers SASL, and ZNC relays a registration from ngircd.

#include "support/Inspircd.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"
#include "support/Znc.h"

#include <gtest/gtest.h>

namespace pell::test {
namespace {

TEST(RealServers, InspircdWithAthemeLogsInAnAccountRegisteredThroughNickServ)
{
    Inspircd server;
    RawIrcClient alice(server.port(), "alice");
    ASSERT_TRUE(alice.waitFor(" 001 alice ")) << server.log();
    alice.send("PRIVMSG NickServ :REGISTER sesame1 alice@example.org");
    ASSERT_TRUE(alice.waitFor("is now registered")) << alice.received(); // the nick comes in bold

    RawIrcClient right(server.port(), "bob", {"CAP REQ :sasl"});
    ASSERT_TRUE(right.waitFor("ACK :sasl")) << right.received();
    right.send("AUTHENTICATE PLAIN");
    ASSERT_TRUE(right.waitFor("AUTHENTICATE")) << right.received();
    right.send("AUTHENTICATE YWxpY2UAYWxpY2UAc2VzYW1lMQ=="); // alice\0alice\0sesame1
    EXPECT_TRUE(right.waitFor(" 903 bob :SASL authentication successful")) << right.received();

    RawIrcClient wrong(server.port(), "carol", {"CAP REQ :sasl"});
    wrong.send("AUTHENTICATE PLAIN");
    ASSERT_TRUE(wrong.waitFor("AUTHENTICATE")) << wrong.received();
    wrong.send("AUTHENTICATE YWxpY2UAYWxpY2UAc2VzYW1lMg=="); // alice\0alice\0sesame2
    EXPECT_TRUE(wrong.waitFor(" 904 carol :SASL authentication failed")) << wrong.received();
}

TEST(RealServers, ZncReplaysTheWelcomeOfItsServerToAClientWithTheRightPassword)
{
    Ngircd server;
    Znc bouncer(server.port());
    RawIrcClient client(bouncer.port(), "pell", {std::string("PASS ") + Znc::kPassword});
    EXPECT_TRUE(client.waitFor(":irc.pell.test 001 pell :Welcome")) << client.received() << bouncer.log();
    RawIrcClient stranger(bouncer.port(), "mallory", {"PASS pell/test:wrong"});
    EXPECT_TRUE(stranger.waitFor(" 464 mallory :Invalid Password")) << stranger.received();
}

} // namespace
} // namespace pell::test
