#include "direct/Resolver.h"
#include "direct/TransportError.h"
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "support/FakeServer.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace pell;
using irc::TIdIRC;
using test::FakeServer;

namespace {

// An engine connected to a scripted server, with what it reports collected.
class EngineOnFake : public ::testing::Test {
protected:
    void connect(const std::string& password = {})
    {
        irc.Host = "127.0.0.1";
        irc.Port = fake.port();
        irc.BoundIP = "127.0.0.1";
        irc.Password = password;
        irc.OnStateChange = [this] { states.push_back(irc.State()); };
        irc.OnReceive = [this](const std::string& line) { received.push_back(line); };
        irc.OnError = [this](irc::TIdIRCUser*, const std::string& numeric, const std::string& text) {
            errors.push_back(numeric + "|" + text);
        };
        irc.Connect(3000);
        ASSERT_TRUE(fake.waitForReceived("USER "));
    }

    // Sends lines from the server and waits until the engine has handled them all.
    void serverSays(const std::string& lines)
    {
        const std::size_t before = received.size();
        std::size_t count = 0;
        for (char c : lines)
            count += c == '\n';
        fake.send(lines);
        ASSERT_TRUE(gui.pumpUntil([&] { return received.size() >= before + count; }));
    }

    // What the engine wrote after the registration lines.
    std::string sentAfterLogon()
    {
        const std::string all = fake.received();
        const std::size_t user = all.find("USER ");
        return all.substr(all.find("\r\n", user) + 2);
    }

    platform::EventQueue gui;
    FakeServer fake;
    // Declared before the engine: its destructor still reports into them.
    std::vector<irc::TIdIRCState> states;
    std::vector<std::string> received;
    std::vector<std::string> errors;
    TIdIRC irc{gui};
};

TEST_F(EngineOnFake, RegistersWithNickThenUserAndNoPassword)
{
    connect();
    EXPECT_EQ(fake.received(), "NICK Nick\r\nUSER Benutzername 127.0.0.1 127.0.0.1 :Wirklicher Name\r\n");
    EXPECT_EQ(states, (std::vector<irc::TIdIRCState>{irc::csConnecting, irc::csLoggingOn}));
    EXPECT_EQ(irc.State(), irc::csLoggingOn);
}

TEST_F(EngineOnFake, SendsThePasswordFirstWhenThereIsOne)
{
    connect("sesame");
    EXPECT_EQ(fake.received().rfind("PASS sesame\r\nNICK Nick\r\nUSER ", 0), 0u);
}

TEST(EngineLocalAddress, UserCarriesTheMachinesFirstAddressWithoutBoundIP)
{
    platform::EventQueue gui;
    FakeServer fake;
    TIdIRC irc(gui);
    irc.Host = "127.0.0.1";
    irc.Port = fake.port();
    irc.Connect(3000);
    ASSERT_TRUE(fake.waitForReceived("USER "));
    const std::string local = direct::LocalIPv4Address();
    EXPECT_NE(fake.received().find("USER Benutzername " + local + " " + local + " :"), std::string::npos);
}

TEST_F(EngineOnFake, WelcomeMakesItConnectedAndTheServerNameIsReusedNextTime)
{
    connect();
    serverSays(":srv.example 001 Nick :Welcome\r\n");
    EXPECT_EQ(irc.State(), irc::csConnected);
    EXPECT_EQ(irc.WelcomeServer(), "srv.example");
    EXPECT_EQ(states.back(), irc::csConnected);

    FakeServer second;
    irc.Port = second.port();
    irc.Connect(3000);
    ASSERT_TRUE(second.waitForReceived("USER "));
    EXPECT_NE(second.received().find("USER Benutzername 127.0.0.1 srv.example :Wirklicher Name\r\n"),
              std::string::npos);
    // Tracking starts again with only the own user.
    EXPECT_EQ(irc.Users.Count(), 1);
    EXPECT_EQ(irc.Channels.Count(), 0);
}

TEST_F(EngineOnFake, MotdStartAlsoEndsRegistration)
{
    connect();
    serverSays(":srv 375 Nick :- srv Message of the day -\r\n");
    EXPECT_EQ(irc.State(), irc::csConnected);
    EXPECT_EQ(irc.WelcomeServer(), "");
}

TEST_F(EngineOnFake, SendOperationsWriteExactlyTheseLines)
{
    connect();
    struct Case {
        std::function<void()> send;
        std::string line;
    };
    const std::vector<Case> cases = {
        {[&] { irc.Raw("WHOIS bob"); }, "WHOIS bob"},
        {[&] { irc.Say("#c", "hi there"); }, "PRIVMSG #c :hi there"},
        {[&] { irc.Notice("bob", "psst"); }, "NOTICE bob :psst"},
        {[&] { irc.CTCPQuery("t", "version", ""); }, "PRIVMSG t :\x01VERSION \x01"},
        {[&] { irc.CTCPQuery("t", "ping", "123"); }, "PRIVMSG t :\x01PING 123\x01"},
        {[&] { irc.CTCPReply("t", "version", "Tarn-IRC"); }, "NOTICE t :\x01version Tarn-IRC\x01"},
        {[&] { irc.Action("#c", "waves"); }, "PRIVMSG #c :\x01" "ACTION waves\x01"},
        {[&] { irc.Join("#c"); }, "JOIN #c"},
        {[&] { irc.Join("#c", "key"); }, "JOIN #c key"},
        {[&] { irc.Part("#c"); }, "PART #c"},
        {[&] { irc.Part("#c", "bye now"); }, "PART #c :bye now"},
        {[&] { irc.Kick("#c", "bob", ""); }, "KICK #c bob :"},
        {[&] { irc.Kick("#c", "bob", "out"); }, "KICK #c bob :out"},
        {[&] { irc.Quit(""); }, "QUIT :"},
        {[&] { irc.Quit("later"); }, "QUIT :later"},
        {[&] { irc.Mode("#c", "+o", "bob"); }, "MODE #c +o bob"},
        {[&] { irc.Mode("#c", "+m"); }, "MODE #c +m"},
        {[&] { irc.Mode("#c", ""); }, "MODE #c "},
        {[&] { irc.SetNick("newnick"); }, "NICK newnick"},
    };
    std::string expected;
    std::vector<std::string> reported;
    irc.OnSend = [&](const std::string& line) { reported.push_back(line); };
    for (const Case& c : cases) {
        c.send();
        expected += c.line + "\r\n";
    }
    ASSERT_TRUE(fake.waitForReceived(expected));
    EXPECT_EQ(sentAfterLogon(), expected);
    ASSERT_EQ(reported.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(reported[i], cases[i].line);
}

TEST_F(EngineOnFake, RawNeverPutsALineBreakOrNulOnTheWire)
{
    connect();
    irc.Say("bob", "hello\r\nQUIT :gotcha");
    irc.Raw(std::string("PRIVMSG bob :a\0QUIT", 19));
    irc.CTCPReply("bob", "PING", "x\nKILL me");
    irc.Raw("NOTICE bob :end");
    ASSERT_TRUE(fake.waitForReceived("NOTICE bob :end\r\n"));
    EXPECT_EQ(sentAfterLogon(), "PRIVMSG bob :hello\r\nPRIVMSG bob :a\r\nNOTICE bob :\x01PING x\r\nNOTICE bob :end\r\n");
}

TEST(EngineOffline, SendingWhileNotConnectedWritesNothingAndRaisesOnError)
{
    platform::EventQueue gui;
    TIdIRC irc(gui);
    std::vector<std::string> errors;
    irc.OnError = [&](irc::TIdIRCUser* user, const std::string& numeric, const std::string& text) {
        EXPECT_EQ(user, nullptr);
        errors.push_back(numeric + "|" + text);
    };
    bool sent = false;
    irc.OnSend = [&](const std::string&) { sent = true; };
    irc.Say("#c", "hello");
    EXPECT_EQ(errors, std::vector<std::string>{"|Nicht mit Server verbunden."});
    EXPECT_FALSE(sent);
}

TEST(EngineOffline, NickAndUserModeAreStoredWhileNotConnected)
{
    platform::EventQueue gui;
    TIdIRC irc(gui);
    EXPECT_EQ(irc.Nick(), "Nick");
    EXPECT_EQ(irc.AltNick, "OtherNick");
    EXPECT_EQ(irc.Username, "Benutzername");
    EXPECT_EQ(irc.RealName, "Wirklicher Name");
    EXPECT_EQ(irc.Port, 6667);
    EXPECT_EQ(irc.State(), irc::csDisconnected);
    irc.SetNick("alice");
    irc.SetUserMode(irc::umInvisible | irc::umWallops);
    EXPECT_EQ(irc.Nick(), "alice");
    EXPECT_EQ(irc.UserMode(), irc::umInvisible | irc::umWallops);
}

TEST_F(EngineOnFake, NickChangeWhileConnectedOnlyAsksTheServer)
{
    connect();
    irc.SetUserMode(irc::umOperator);
    irc.SetNick("other");
    ASSERT_TRUE(fake.waitForReceived("NICK other\r\n"));
    EXPECT_EQ(irc.Nick(), "Nick");
    EXPECT_EQ(irc.UserMode(), 0);
}

TEST(EngineChannelNames, IsChannel)
{
    const std::pair<const char*, bool> cases[] = {
        {"#c", true}, {"&local", true}, {"!safe", true}, {"+modeless", true},
        {"", false}, {"bob", false}, {"c#", false},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(TIdIRC::IsChannel(name), expected) << name;
}

TEST_F(EngineOnFake, RefusedNicksFallBackToAltNickThenAskTheHandler)
{
    connect();
    std::vector<std::string> asked;
    irc.OnNicksInUse = [&](std::string& nick) {
        asked.push_back(nick);
        nick = "third";
    };
    serverSays(":srv 433 * Nick :Nickname is already in use\r\n");
    ASSERT_TRUE(fake.waitForReceived("NICK OtherNick\r\n"));
    EXPECT_TRUE(asked.empty());
    serverSays(":srv 433 * OtherNick :Nickname is already in use\r\n");
    ASSERT_TRUE(fake.waitForReceived("NICK third\r\n"));
    EXPECT_EQ(asked, std::vector<std::string>{"OtherNick"});
    EXPECT_EQ(irc.CurrentNick(), "third");
    EXPECT_EQ(errors.front(), "433|* Nick :Nickname is already in use");

    // The handler offers the refused nick again: give up rather than loop.
    serverSays(":srv 433 * third :Nickname is already in use\r\n");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(irc.State(), irc::csDisconnected);
    EXPECT_FALSE(irc.Connected());
    EXPECT_EQ(sentAfterLogon(), "NICK OtherNick\r\nNICK third\r\n");
}

TEST_F(EngineOnFake, AnEmptyAnswerOrNoHandlerDisconnects)
{
    connect();
    irc.OnNicksInUse = [](std::string& nick) { nick.clear(); };
    serverSays(":srv 432 * Nick :Erroneous nickname\r\n");
    serverSays(":srv 433 * OtherNick :Nickname is already in use\r\n");
    EXPECT_EQ(irc.State(), irc::csDisconnected);

    FakeServer second;
    irc.OnNicksInUse = nullptr;
    irc.Port = second.port();
    irc.Connect(3000);
    ASSERT_TRUE(second.waitForReceived("USER "));
    second.send(":srv 431 * :No nickname given\r\n:srv 433 * OtherNick :in use\r\n");
    ASSERT_TRUE(gui.pumpUntil([&] { return irc.State() == irc::csDisconnected; }));
}

TEST_F(EngineOnFake, ARefusedNickAfterRegistrationOnlyReportsTheError)
{
    connect();
    serverSays(":srv 001 Nick :Welcome\r\n:srv 433 Nick taken :Nickname is already in use\r\n");
    EXPECT_EQ(errors, std::vector<std::string>{"433|Nick taken :Nickname is already in use"});
    EXPECT_EQ(irc.State(), irc::csConnected);
    EXPECT_EQ(sentAfterLogon(), "");
}

TEST_F(EngineOnFake, PlainDisconnectIsIgnoredWhileLoggingOn)
{
    connect();
    irc.Disconnect(false);
    EXPECT_EQ(irc.State(), irc::csLoggingOn);
    EXPECT_TRUE(irc.Connected());
    int disconnected = 0;
    irc.Socket().OnDisconnected = [&] { ++disconnected; };
    irc.Disconnect(true);
    EXPECT_EQ(irc.State(), irc::csDisconnected);
    EXPECT_FALSE(irc.Connected());
    EXPECT_EQ(disconnected, 1);
    EXPECT_EQ(irc.OwnUser(), nullptr);
    EXPECT_EQ(irc.Users.Count(), 0);
}

TEST_F(EngineOnFake, PingIsAnsweredWithItsParameter)
{
    connect();
    serverSays(":srv PING :abc\r\n");
    ASSERT_TRUE(fake.waitForReceived("PONG :abc\r\n"));
}

TEST_F(EngineOnFake, ABurstOfLinesIsHandledInOrder)
{
    connect();
    std::string burst;
    for (int i = 0; i < 2000; ++i)
        burst += ":srv NOTICE Nick :line " + std::to_string(i) + "\r\n";
    serverSays(burst);
    ASSERT_EQ(received.size(), 2000u);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(received[static_cast<std::size_t>(i)], ":srv NOTICE Nick :line " + std::to_string(i));
}

TEST_F(EngineOnFake, ControlBytesInALineReachTheParserUnharmed)
{
    connect();
    static const char raw[] = "PRIVMSG Nick :a\0b\x02\x1f\x7f";
    const std::string line(raw, sizeof raw - 1);
    serverSays(line + "\r\n");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], line);
    EXPECT_EQ(irc.Message()[3], std::string("a\0b\x02\x1f\x7f", 6));
}

// The ways a connection can end under the reader: each leaves the engine not
// connected, raises no event and crashes nothing.
enum class Ending { CloseMidLine, Reset, OverLongLine };

class ReaderEnding : public EngineOnFake, public ::testing::WithParamInterface<Ending> {};

TEST_P(ReaderEnding, EndsTheReaderSilently)
{
    connect();
    bool disconnectEvent = false;
    irc.OnDisconnect = [&] { disconnectEvent = true; };
    switch (GetParam()) {
    case Ending::CloseMidLine:
        fake.send(":srv NOTICE Nick :complete\r\n:srv NOTICE Nick :half");
        ASSERT_TRUE(gui.pumpUntil([&] { return received.size() == 1; }));
        fake.closeClient();
        break;
    case Ending::Reset:
        fake.closeClient(true);
        break;
    case Ending::OverLongLine:
        fake.send(":srv NOTICE Nick :" + std::string(20000, 'x') + "\r\n:srv NOTICE Nick :after\r\n");
        break;
    }
    ASSERT_TRUE(gui.pumpUntil([&] { return !irc.Connected(); }));
    gui.pump();
    EXPECT_FALSE(disconnectEvent);
    EXPECT_EQ(irc.State(), irc::csLoggingOn);
    for (const std::string& line : received)
        EXPECT_EQ(line.find("half"), std::string::npos);
    if (GetParam() == Ending::OverLongLine) {
        EXPECT_TRUE(received.empty());
    }
    // Sending now reports the lost connection instead of writing into the void.
    irc.Raw("PING :x");
    EXPECT_EQ(errors.back(), "|Nicht mit Server verbunden.");
}

INSTANTIATE_TEST_SUITE_P(Endings, ReaderEnding,
                         ::testing::Values(Ending::CloseMidLine, Ending::Reset, Ending::OverLongLine));

TEST(EngineLifetime, DestroyingTheEngineWhileItsReaderWaitsForTheGuiThread)
{
    platform::EventQueue gui;
    FakeServer fake;
    int handled = 0;
    {
        TIdIRC irc(gui);
        irc.Host = "127.0.0.1";
        irc.Port = fake.port();
        irc.OnReceive = [&](const std::string&) { ++handled; };
        irc.Connect(3000);
        ASSERT_TRUE(fake.waitForReceived("USER "));
        fake.send(":srv NOTICE Nick :one\r\n");
        // The reader has handed the line over and now waits for the GUI thread.
        for (int i = 0; i < 1000 && gui.pending() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_GT(gui.pending(), 0u);
    }
    // The hand-over outlived the engine; running it now must touch nothing.
    gui.pump();
    EXPECT_EQ(handled, 0);
}

TEST(EngineLifetime, DisconnectingWhileTheReaderWaitsDoesNotDeadlock)
{
    platform::EventQueue gui;
    FakeServer fake;
    TIdIRC irc(gui);
    int handled = 0;
    irc.Host = "127.0.0.1";
    irc.Port = fake.port();
    irc.OnReceive = [&](const std::string&) { ++handled; };
    irc.Connect(3000);
    ASSERT_TRUE(fake.waitForReceived("USER "));
    fake.send(":srv NOTICE Nick :one\r\n");
    for (int i = 0; i < 1000 && gui.pending() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_GT(gui.pending(), 0u);
    irc.Disconnect(true);
    gui.pump();
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(irc.State(), irc::csDisconnected);
}

TEST(EngineLifetime, DisconnectFromInsideAnEventStopsTheRestOfTheBurst)
{
    platform::EventQueue gui;
    FakeServer fake;
    TIdIRC irc(gui);
    std::vector<std::string> seen;
    irc.Host = "127.0.0.1";
    irc.Port = fake.port();
    irc.OnReceive = [&](const std::string& line) {
        seen.push_back(line);
        if (line == "BYE")
            irc.Disconnect(true);
    };
    irc.Connect(3000);
    ASSERT_TRUE(fake.waitForReceived("USER "));
    fake.send("ONE\r\nBYE\r\nTHREE\r\n");
    ASSERT_TRUE(gui.pumpUntil([&] { return irc.State() == irc::csDisconnected; }));
    gui.pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"ONE", "BYE"}));
}

TEST(EngineConnectFailure, ARefusedPortReportsTheSocketErrorAndStaysConnecting)
{
    platform::EventQueue gui;
    TIdIRC irc(gui);
    irc.Host = "127.0.0.1";
    irc.Port = test::freePort();
    try {
        irc.Connect(3000);
        FAIL() << "connect to a closed port succeeded";
    } catch (const direct::TransportError& error) {
        EXPECT_EQ(error.kind(), direct::TransportError::Kind::Socket);
        EXPECT_EQ(error.code(), ECONNREFUSED);
        EXPECT_EQ(std::string(error.what()), "Socket-Fehler # 111\r\nConnection refused");
    }
    EXPECT_EQ(irc.State(), irc::csConnecting);
    EXPECT_FALSE(irc.Connected());
}

} // namespace
