#include "EngineHarness.h"

#include "net/SocketLineTransport.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pell::irc {
namespace {

// Engines as clients of a real ngircd with a server password: what one sends, the
// other sees, with its events recorded.
struct PeerEvents : test::HarnessEvents {
    void OnDisconnect() override { Lines.push_back("Disconnect"); }
};

struct Peer {
    Peer(test::Ngircd& server, const std::string& nick, const std::string& password = "sesame")
    {
        listener.sent = &sent;
        irc.SetNick(nick);
        irc.Username = nick;
        irc.Host = "127.0.0.1";
        irc.Port = server.port();
        irc.Password = password;
        irc.Connect(3000);
    }
    bool saw(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }
    void expect(const std::string& event)
    {
        EXPECT_TRUE(queue.pumpUntil([&] { return saw(event); })) << event << " " << ::testing::PrintToString(events);
    }
    int flagsOf(const std::string& nick)
    {
        const Channel* c = irc.Channels.Get("#t");
        const int index = c ? c->Names.IndexOf(nick) : -1;
        return index < 0 ? -1 : c->Names.Flags(index);
    }
    static inline test::EventQueue queue;
    // Before the engine: its destructor still reports into them.
    PeerEvents listener;
    test::Events& events = listener.Lines;
    test::Events sent;
    Client irc{std::make_unique<net::SocketLineTransport>(queue), listener};
};

TEST(EngineIntegration, TwoClientsMeetOnARealServer)
{
    test::Ngircd server(test::Ngircd::Options{"sesame"});
    Peer wrong(server, "wrong", "nope");
    ASSERT_TRUE(Peer::queue.pumpUntil([&] { return !wrong.irc.Connected(); }));
    EXPECT_NE(wrong.irc.State(), ClientState::Connected);
    EXPECT_EQ(wrong.events.back().rfind("Unknown  ERROR ", 0), 0u) << wrong.events.back();

    Peer alice(server, "alice"), bob(server, "bob");
    alice.irc.Replies.Version = "Tarn-IRC";
    ASSERT_TRUE(Peer::queue.pumpUntil([&] { return alice.irc.State() == ClientState::Connected; })) << server.log();
    ASSERT_TRUE(Peer::queue.pumpUntil([&] { return bob.irc.State() == ClientState::Connected; })) << server.log();
    EXPECT_EQ(alice.irc.WelcomeServer(), server.name());
    alice.irc.Join("#t");
    alice.expect("Names #t");
    // ngircd announces PREFIX=(qaohv)~&@%+: op is the flag of rank 2, voice of rank 4.
    EXPECT_EQ(alice.flagsOf("alice"), 1 << 2); // the first joiner holds op
    bob.irc.Join("#t");
    bob.expect("Names #t");
    alice.expect("Join bob #t");
    bob.irc.Say("#t", "hi all");
    alice.expect("Message bob #t hi all");
    bob.irc.Notice("alice", "psst");
    alice.expect("Notice bob - psst");
    alice.irc.Mode("#t", "+ov", "bob bob");
    bob.expect("Voice alice #t bob");
    EXPECT_EQ(bob.flagsOf("bob"), (1 << 2) | (1 << 4));
    alice.irc.Raw("TOPIC #t :hello world");
    bob.expect("Topic alice #t #t hello world");
    // CTCP answered by the engine itself.
    bob.irc.CtcpQuery("alice", "VERSION", "");
    bob.expect("CtcpReply alice - VERSION Tarn-IRC");
    bob.irc.SetNick("bobby");
    alice.expect("NickChange bob bobby");
    alice.irc.Kick("#t", "bobby", "out");
    bob.expect("Kicked alice #t");
    EXPECT_EQ(alice.flagsOf("bobby"), -1);
    bob.irc.Join("#t");
    bob.irc.Quit("bye");
    alice.expect("Quit bobby \"bye\""); // ngircd quotes the reason
    // The server closes on QUIT: the reader ends without an event.
    ASSERT_TRUE(Peer::queue.pumpUntil([&] { return !bob.irc.Connected(); }));
    EXPECT_FALSE(bob.saw("Disconnect"));

    // A second connect sends the learned server name in USER; the server takes it.
    alice.irc.Connect(3000);
    ASSERT_TRUE(Peer::queue.pumpUntil([&] { return alice.irc.State() == ClientState::Connected; }));
    const auto user = std::find_if(alice.sent.rbegin(), alice.sent.rend(), [](const std::string& l) { return l.starts_with("USER "); });
    ASSERT_NE(user, alice.sent.rend());
    EXPECT_NE(user->find(" " + server.name() + " :"), std::string::npos) << *user;
}

} // namespace
} // namespace pell::irc
