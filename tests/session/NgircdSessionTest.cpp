// Sessions of our own program on a real ngircd: a file and a direct chat offered from one
// session's nick list and accepted in another, the offers travelling as CTCP through the
// server, over IPv4 and over IPv6 (::1), where they carry the address as text.

#include "SessionFakes.h"
#include "dcc/ListenPort.h"
#include "session/NickPrefix.h"
#include "session/Session.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace pell::session::testing {
namespace {

namespace fs = std::filesystem;

// One program instance: its own GUI queue, settings and prompts, and a session.
struct Instance : RecordingPorts {
    test::EventQueue gui;
    UserInfoModel userInfo;
    Session session;
    Instance(int port, const std::string& nick, const std::string& host)
        : session(SessionContext{gui, settings, shared, ports(), userInfo},
                  settings::ServerProfile{{.Nick = nick, .RealName = nick, .Username = nick}, nick, host, port})
    {
    }
    // The last entry of #room's nick list, prefix stripped as the nick-list menu does.
    std::string lastEntry()
    {
        const SessionTabs& tabs = session.Model().Tabs();
        const auto* list = tabs.Find("#room") < 0 ? nullptr : tabs.At(tabs.Find("#room")).Nicks.get();
        return list && !list->Entries().empty() ? StripNickPrefix(list->Entries().back()) : "";
    }
    // #room's nick list, its entries joined by blanks.
    std::string nicks()
    {
        std::string joined;
        const SessionTabs& tabs = session.Model().Tabs();
        if (tabs.Find("#room") >= 0)
            for (const auto& entry : tabs.At(tabs.Find("#room")).Nicks->Entries())
                joined += (joined.empty() ? "" : " ") + entry;
        return joined;
    }
    bool shows(const std::string& text) { return std::any_of(view.lines.begin(), view.lines.end(), [&](auto& l) { return std::get<1>(l) == text; }); }
};

// How one address family shows: the host the sessions connect to, an offer's address as
// the question names it, and how a chat's partner is written.
struct Family {
    std::string host, offered, peer;
};

// Alice and Bob on one ngircd, both in #room, over IPv4 and over IPv6 (::1), where offers
// carry the address as text.
struct OnNgircd : ::testing::TestWithParam<Family> {
    test::TempFolder root;
    const Family family = GetParam();
    test::Ngircd server{{.ipv6 = family.host == "::1"}};
    Instance alice{server.port(), "alice", family.host};
    Instance bob{server.port(), "bob", family.host};

    // Registered: lines sent before (a JOIN, say) would find the registration still held.
    static bool registered(Instance& i) { return i.session.Engine().State() == irc::ClientState::Connected; }
    // Both GUI threads run (here: in turn) until the condition holds.
    bool until(const std::function<bool()>& condition, int ms = 10000)
    {
        for (int waited = 0; waited < ms && !condition(); waited += 2) {
            alice.gui.pump();
            bob.gui.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return condition();
    }
    void SetUp() override
    {
        dcc::NextListenPort() = 20000 + ::getpid() % 20000; // off 1024, where a real program may listen
        // On loopback an offer would name the machine's outside address: stay on loopback.
        alice.session.Offers().OfferAddress = family.host;
        bob.session.Offers().OfferAddress = family.host;
        ASSERT_TRUE(until([&] { return registered(alice); })) << server.log();
        ASSERT_TRUE(until([&] { return registered(bob); })) << server.log();
        alice.session.Engine().Join("#room");
        ASSERT_TRUE(until([&] { return alice.lastEntry() == "alice"; })); // "@alice"
        bob.session.Engine().Join("#room");
        ASSERT_TRUE(until([&] { return alice.lastEntry() == "bob"; }));
    }
};

INSTANTIATE_TEST_SUITE_P(Families, OnNgircd, ::testing::Values(Family{"127.0.0.1", "2130706433", "127.0.0.1:"}, Family{"::1", "::1", "[::1]:"}));

// Another user takes op away and kicks: the nick list follows each mode, the tab says who
// kicked and why, empties its list and sends nothing more to the channel.
TEST_P(OnNgircd, DeoppedAndKickedByAnotherUser)
{
    alice.session.Engine().Mode("#room", "+o", "bob");
    ASSERT_TRUE(until([&] { return alice.nicks() == "@alice @bob"; })) << alice.nicks();
    bob.session.Engine().Mode("#room", "-o", "alice");
    EXPECT_TRUE(until([&] { return alice.nicks() == "@bob alice"; })) << alice.nicks();
    bob.session.Engine().Kick("#room", "alice", "enough");
    EXPECT_TRUE(until([&] { return alice.shows("<System>:bob kicked alice because of enough"); }));
    EXPECT_EQ(alice.nicks(), "");
    SessionModel& model = alice.session.Model();
    model.UserSelectsTab(model.Tabs().Find("#room"));
    alice.session.Commands().SetInputLine("still here");
    alice.session.Commands().Enter();
    EXPECT_TRUE(alice.shows("<System>:Not sent: you are no longer in #room"));
    // Lines go out in order: had the refused one left, bob would see it before this one.
    alice.session.Engine().Say("bob", "in order");
    EXPECT_TRUE(until([&] { return bob.shows("<alice>:in order"); }));
    EXPECT_FALSE(bob.shows("<alice>:still here"));
}

TEST_P(OnNgircd, AFileOfferedFromTheNickListArrivesWhole)
{
    std::string bytes(300000, '\0');
    std::generate(bytes.begin(), bytes.end(), [random = std::mt19937(7)]() mutable { return static_cast<char>(random()); });
    std::ofstream(root / "my notes.txt", std::ios::binary) << bytes;
    bob.session.Offers().DefaultDownloadFolder = (root / "in").string() + "/";
    bob.prompts.yesNoAnswers = {true};
    alice.session.Offers().OfferFile(alice.lastEntry(), (root / "my notes.txt").string());
    ASSERT_TRUE(until([&] { return !bob.session.Offers().Downloads().empty(); }));
    const dcc::DccDownload& download = *bob.session.Offers().Downloads().front();
    const dcc::DccSend& send = *alice.session.Offers().Sends().front();
    EXPECT_EQ(bob.prompts.asked, std::vector<std::string>{"Confirm|Download my_notes.txt(300000) from alice(" + family.offered + ")"});
    // The announced size ends it: no idle wait.
    ASSERT_TRUE(until([&] { return !download.Running(); }, 5000));
    EXPECT_TRUE(until([&] { return send.Log().Last() == "Remote CRC = 300000 local = 300000"; }));
    EXPECT_EQ(download.Log().Last(), "wrote FINAL checksum");
    EXPECT_EQ(download.Progress().BytesText, "300000 bytes");
    EXPECT_TRUE(bob.shows("-alice- DCC Send my notes.txt (" + family.host + ")"));
    EXPECT_TRUE(alice.shows("<System>:DCC send:  bob:" + (root / "my notes.txt").string()));
    std::ifstream in(root / "in" / "my_notes.txt", std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == bytes);
}

TEST_P(OnNgircd, AChatOfferedFromTheNickListTalksBothWaysAndEndsOnBothSides)
{
    bob.prompts.yesNoAnswers = {true};
    alice.session.Chats().OfferChat(alice.lastEntry());
    ASSERT_TRUE(until([&] { return !alice.session.Chats().Listeners().empty(); }));
    dcc::DirectChatListener& listener = *alice.session.Chats().Listeners().front();
    ASSERT_TRUE(until([&] { return listener.Partners() == 1; }));
    dcc::DirectChat& chat = *bob.session.Chats().Chats().front();
    const std::string hi = "hi alice, gr\xC3\xBC\xC3\x9F" "e";
    chat.Send(hi);
    const auto& heard = listener.Lines().Lines();
    EXPECT_TRUE(until([&] { return heard.size() == 2; }));
    EXPECT_TRUE(heard.at(0).starts_with("Connected: " + family.peer)) << heard.at(0);
    EXPECT_EQ(bob.prompts.asked, std::vector<std::string>{"Confirm|Accept Directchat with alice(" + family.offered + ")"});
    EXPECT_EQ(heard.at(1), "<bob> " + hi);
    listener.Send("hi bob");
    // The connecting side reads when its timer ticks and keeps the carriage return.
    const auto& seen = chat.Lines().Lines();
    const auto tickUntil = [&](std::size_t lines) {
        return until([&] {
            chat.onPollTick();
            return seen.size() == lines;
        });
    };
    EXPECT_TRUE(tickUntil(2));
    EXPECT_EQ(seen.back(), "<alice> hi bob\r");
    // Alice closes her window: her partner goes, and Bob's window says so.
    EXPECT_FALSE(listener.CloseRequest());
    EXPECT_TRUE(tickUntil(3));
    EXPECT_EQ(seen.back(), "alice closed the chat");
    EXPECT_TRUE(until([&] { return listener.Partners() == 0; }));
}

} // namespace
} // namespace pell::session::testing
