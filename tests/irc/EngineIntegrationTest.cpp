#include "EngineHarness.h"

#include "support/Ngircd.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using Events = std::vector<std::string>;

// One client of the real server, with its events recorded.
struct Client {
    Client(platform::EventQueue& queue, const std::string& nick, int port) : irc(queue)
    {
        test::recordEvents(irc, events);
        irc.SetNick(nick);
        irc.Username = nick;
        irc.Host = "127.0.0.1";
        irc.Port = port;
    }
    bool saw(const std::string& event) const
    {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    int flagsOf(const std::string& channel, const std::string& nick)
    {
        const TIdIRCChannel* c = irc.Channels.Get(channel);
        const int index = c ? c->Names.IndexOf(nick) : -1;
        return index < 0 ? -1 : c->Names.Flags(index);
    }
    TIdIRC irc;
    Events events;
};

class EngineIntegration : public ::testing::Test {
protected:
    // Pumps the GUI queue until the client has raised the event.
    void expectEvent(Client& client, const std::string& event)
    {
        EXPECT_TRUE(queue.pumpUntil([&] { return client.saw(event); }))
            << "no \"" << event << "\" for " << client.irc.Nick() << "; got:\n" << dump(client.events);
    }
    static std::string dump(const Events& events)
    {
        std::string out;
        for (const std::string& event : events)
            out += "  " + event + "\n";
        return out;
    }

    test::Ngircd server;
    platform::EventQueue queue;
    Client alice{queue, "alice", server.port()};
    Client bob{queue, "bob", server.port()};
};

TEST_F(EngineIntegration, TwoClientsMeetInAChannel)
{
    alice.irc.Replies.Version = "Tarn-IRC";
    alice.irc.Connect(3000);
    bob.irc.Connect(3000);
    ASSERT_TRUE(queue.pumpUntil([&] {
        return alice.irc.State() == csConnected && bob.irc.State() == csConnected;
    }));
    EXPECT_EQ(alice.irc.WelcomeServer(), server.name());

    // The first joiner holds op; the names reply fills the channel.
    alice.irc.Join("#t");
    expectEvent(alice, "Joined #t");
    expectEvent(alice, "Names #t");
    EXPECT_EQ(alice.flagsOf("#t", "alice"), nfOperator);

    bob.irc.Join("#t");
    expectEvent(bob, "Names #t");
    expectEvent(alice, "Join bob #t");
    EXPECT_EQ(bob.flagsOf("#t", "alice"), nfOperator);
    EXPECT_EQ(bob.flagsOf("#t", "bob"), 0);
    EXPECT_EQ(alice.flagsOf("#t", "bob"), 0);

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
    expectEvent(alice, "Topic alice #t #t hello world");
    EXPECT_EQ(bob.irc.Channels.Get("#t")->Topic, "hello world");

    // CTCP answered by the engine itself, and a DCC offer handed over as an event.
    bob.irc.CTCPQuery("alice", "VERSION", "");
    expectEvent(bob, "CTCPReply alice - VERSION Tarn-IRC");
    EXPECT_TRUE(alice.saw("CTCPQuery bob - VERSION "));
    bob.irc.CTCPQuery("alice", "PING", "1700000000 123");
    expectEvent(bob, "CTCPReply alice - PING 1700000000 123");
    bob.irc.CTCPQuery("alice", "DCC", "SEND file.txt 2130706433 5000 1024");
    expectEvent(alice, "DCCSend bob 2130706433 5000 file.txt 1024");

    bob.irc.SetNick("bobby");
    expectEvent(bob, "NickChanged bob");
    expectEvent(alice, "NickChange bob bobby");
    EXPECT_EQ(bob.irc.CurrentNick(), "bobby");
    EXPECT_EQ(bob.flagsOf("#t", "bobby"), nfOperator | nfVoice);
    EXPECT_EQ(alice.flagsOf("#t", "bobby"), 0);

    alice.irc.Kick("#t", "bobby", "out");
    expectEvent(bob, "Kicked alice #t");
    expectEvent(alice, "Kick alice bobby #t");
    EXPECT_EQ(bob.irc.Channels.Count(), 0);
    EXPECT_EQ(alice.flagsOf("#t", "bobby"), -1);

    bob.irc.Join("#t");
    expectEvent(alice, "Join bobby #t");
    bob.irc.Quit("bye");
    expectEvent(alice, "Quit bobby \"bye\""); // ngircd quotes the reason
    EXPECT_EQ(alice.flagsOf("#t", "bobby"), -1);
    EXPECT_EQ(alice.irc.Channels.Get("#t")->Names.Count(), 1);
}

} // namespace
} // namespace pell::irc
