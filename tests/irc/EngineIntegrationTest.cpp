#include "EngineHarness.h"

#include "support/Ngircd.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::Events;

// One engine as a client of the real server, with its events recorded.
struct Client {
    Client(platform::EventQueue& queue, const std::string& nick, int port, const std::string& password = "sesame")
        : irc(queue)
    {
        test::recordEvents(irc, events);
        irc.OnDisconnect = [this] { events.push_back("Disconnect"); };
        irc.SetNick(nick);
        irc.Username = nick;
        irc.Host = "127.0.0.1";
        irc.Port = port;
        irc.Password = password;
    }
    bool saw(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }
    int flagsOf(const std::string& channel, const std::string& nick)
    {
        const TIdIRCChannel* c = irc.Channels.Get(channel);
        const int index = c ? c->Names.IndexOf(nick) : -1;
        return index < 0 ? -1 : c->Names.Flags(index);
    }
    TIdIRC irc;
    Events events;
};

// Two engines meet on ngircd (with a server password): what one sends, the other sees.
class EngineIntegration : public ::testing::Test {
protected:
    void expectEvent(Client& client, const std::string& event)
    {
        EXPECT_TRUE(queue.pumpUntil([&] { return client.saw(event); }))
            << "no \"" << event << "\" for " << client.irc.Nick() << "\n" << ::testing::PrintToString(client.events);
    }
    bool registered(Client& client) { return queue.pumpUntil([&] { return client.irc.State() == csConnected; }); }

    test::Ngircd server{test::Ngircd::Options{"sesame"}};
    platform::EventQueue queue;
    Client alice{queue, "alice", server.port()};
    Client bob{queue, "bob", server.port()};
};

TEST_F(EngineIntegration, AWrongPasswordIsRefusedByTheServer)
{
    Client wrong(queue, "wrong", server.port(), "nope");
    wrong.irc.Connect(3000);
    ASSERT_TRUE(queue.pumpUntil([&] { return !wrong.irc.Connected(); }));
    EXPECT_NE(wrong.irc.State(), csConnected);
    EXPECT_EQ(wrong.events.back().rfind("Unknown  ERROR ", 0), 0u) << wrong.events.back();
}

TEST_F(EngineIntegration, TwoClientsMeetInAChannel)
{
    alice.irc.Replies.Version = "Tarn-IRC";
    alice.irc.Connect(3000);
    bob.irc.Connect(3000);
    ASSERT_TRUE(registered(alice) && registered(bob)) << server.log();
    EXPECT_EQ(alice.irc.WelcomeServer(), server.name());

    // The first joiner holds op; the names reply fills the channel.
    alice.irc.Join("#t");
    expectEvent(alice, "Names #t");
    EXPECT_EQ(alice.flagsOf("#t", "alice"), nfOperator);
    bob.irc.Join("#t");
    expectEvent(bob, "Names #t");
    expectEvent(alice, "Join bob #t");
    EXPECT_EQ(bob.flagsOf("#t", "alice"), nfOperator);
    EXPECT_EQ(bob.flagsOf("#t", "bob"), 0);

    bob.irc.Say("#t", "hi all");
    expectEvent(alice, "Message bob #t hi all");
    bob.irc.Notice("alice", "psst");
    expectEvent(alice, "Notice bob - psst");
    // Op and voice: bob knows himself from the names list; alice only saw him join,
    // so she has no record of him and her list keeps his flags.
    alice.irc.Mode("#t", "+ov", "bob bob");
    expectEvent(bob, "Voice alice #t bob");
    EXPECT_TRUE(bob.saw("Op alice #t bob"));
    EXPECT_EQ(bob.flagsOf("#t", "bob"), nfOperator | nfVoice);
    expectEvent(alice, "Voice alice #t -");
    EXPECT_EQ(alice.flagsOf("#t", "bob"), 0);
    alice.irc.Raw("TOPIC #t :hello world");
    expectEvent(bob, "Topic alice #t #t hello world");
    EXPECT_EQ(bob.irc.Channels.Get("#t")->Topic, "hello world");

    // CTCP answered by the engine itself, and a DCC offer handed over as an event.
    bob.irc.CTCPQuery("alice", "VERSION", "");
    expectEvent(bob, "CTCPReply alice - VERSION Tarn-IRC");
    bob.irc.CTCPQuery("alice", "PING", "1700000000 123");
    expectEvent(bob, "CTCPReply alice - PING 1700000000 123");
    bob.irc.CTCPQuery("alice", "DCC", "SEND file.txt 2130706433 5000 1024");
    expectEvent(alice, "DCCSend bob 2130706433 5000 file.txt 1024");

    bob.irc.SetNick("bobby");
    expectEvent(bob, "NickChanged bob");
    expectEvent(alice, "NickChange bob bobby");
    EXPECT_EQ(bob.flagsOf("#t", "bobby"), nfOperator | nfVoice);
    alice.irc.Kick("#t", "bobby", "out");
    expectEvent(bob, "Kicked alice #t");
    EXPECT_EQ(bob.irc.Channels.Count(), 0);
    EXPECT_EQ(alice.flagsOf("#t", "bobby"), -1);
    bob.irc.Join("#t");
    expectEvent(alice, "Join bobby #t");
    bob.irc.Part("#t", "later");
    expectEvent(alice, "Part bobby #t");
    bob.irc.Join("#t");
    expectEvent(alice, "Join bobby #t");
    bob.irc.Quit("bye");
    expectEvent(alice, "Quit bobby \"bye\""); // ngircd quotes the reason
    EXPECT_EQ(alice.irc.Channels.Get("#t")->Names.Count(), 1);
    // The server closes on QUIT: the reader ends without an event.
    ASSERT_TRUE(queue.pumpUntil([&] { return !bob.irc.Connected(); }));
    EXPECT_FALSE(bob.saw("Disconnect"));

    // A second connect sends the learned server name in USER; the server takes it.
    std::string user;
    alice.irc.OnSend = [&](const std::string& line) { user = line.rfind("USER ", 0) == 0 ? line : user; };
    alice.irc.Connect(3000);
    ASSERT_TRUE(registered(alice));
    EXPECT_NE(user.find(" " + server.name() + " :"), std::string::npos) << user;
}

} // namespace
} // namespace pell::irc
