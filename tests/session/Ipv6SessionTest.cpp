// Two sessions of our own on a real ngircd over IPv6 (::1): a file and a direct chat
// offered from one to the other carry the address as text and connect over IPv6.

#include "SessionFakes.h"
#include "dcc/ListenPort.h"
#include "settings/SettingsTestSupport.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <thread>

namespace pell::session::testing {
namespace {

struct Peer : RecordingPorts {
    test::EventQueue gui;
    UserInfoModel userInfo;
    Session session;
    Peer(int port, const std::string& nick)
        : session(SessionContext{gui, settings, shared, ports(), userInfo},
                  settings::ServerProfile{{.Nick = nick, .RealName = nick, .Username = nick}, nick, "::1", port})
    {
        prompts.yesNoAnswers = {true, true};
    }
};

struct OverIPv6 : ::testing::Test {
    test::Ngircd server{{.ipv6 = true}};
    test::TempFolder folder;
    Peer alice{server.port(), "alice"};
    Peer bob{server.port(), "bob"};

    bool until(const std::function<bool()>& condition)
    {
        for (int waited = 0; waited < 10000 && !condition(); waited += 2) {
            alice.gui.pump();
            bob.gui.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return condition();
    }
    void SetUp() override
    {
        dcc::NextListenPort() = 20000 + ::getpid() % 20000; // off 59, where a real program may listen
        // An IRC connection on loopback is no address for peers elsewhere: offers here name it by hand.
        alice.session.Offers().OfferAddress = "::1";
        ASSERT_TRUE(until([&] { return alice.session.Engine().State() == irc::ClientState::Connected; })) << server.log();
        ASSERT_TRUE(until([&] { return bob.session.Engine().State() == irc::ClientState::Connected; }));
    }
};

TEST_F(OverIPv6, AFileAndAChatOfferCarryTheAddressAsTextAndConnect)
{
    test::writeBytes(folder.file("notes.txt"), "over IPv6");
    bob.session.Offers().DefaultDownloadFolder = folder.folder() + "in/";
    bob.session.Offers().Timing = dcc::ReceiveTiming{300, 0, 1};
    alice.session.Offers().OfferFile("bob", folder.file("notes.txt"));
    ASSERT_TRUE(until([&] { return !bob.session.Offers().Downloads().empty(); }));
    EXPECT_EQ(bob.prompts.asked.at(0), "Confirm|Download notes.txt(9) from alice(::1)");
    const dcc::DccDownload& download = *bob.session.Offers().Downloads().front();
    ASSERT_TRUE(until([&] { return !download.Running(); })) << download.Log().Last();
    EXPECT_EQ(test::readBytes(folder.file("in/notes.txt")), "over IPv6");

    alice.session.Chats().OfferChat("bob");
    ASSERT_TRUE(until([&] { return !alice.session.Chats().Listeners().empty() && alice.session.Chats().Listeners().front()->Partners() == 1; }));
    EXPECT_EQ(bob.prompts.asked.at(1), "Confirm|Accept Directchat with alice(::1)");
    const auto& heard = alice.session.Chats().Listeners().front()->Lines().Lines();
    ASSERT_TRUE(until([&] { return !heard.empty(); }));
    EXPECT_TRUE(heard.front().starts_with("Connected: [::1]:")) << heard.front();
}

} // namespace
} // namespace pell::session::testing
