#include "EngineHarness.h"

#include "doubles/ScriptedTransport.h"
#include "net/QueuedWriter.h"
#include "net/Resolver.h"
#include "net/SocketLineTransport.h"
#include "net/TransportError.h"
#include "support/FakeServer.h"
#include "support/Loopback.h"

#include <gtest/gtest.h>

#include <thread>

#include <sys/socket.h>
#include <unistd.h>

using namespace pell;
using irc::Client;
using test::Events;
using test::FakeServer;

namespace {

// The connection's own events, each handed to a hook when one is set.
struct ConnectionEvents : irc::ClientEvents {
    std::function<void()> stateChanged;
    std::function<void()> connected;
    std::function<void()> disconnected;
    std::function<void(const std::string&)> received;
    std::function<void(const std::string&)> sent;
    std::function<void(irc::User*, const std::string&, const std::string&)> error;

    void OnStateChange() override
    {
        if (stateChanged)
            stateChanged();
    }
    void OnConnected() override
    {
        if (connected)
            connected();
    }
    void OnDisconnect() override
    {
        if (disconnected)
            disconnected();
    }
    void OnReceive(const std::string& line) override
    {
        if (received)
            received(line);
    }
    void OnSend(const std::string& line) override
    {
        if (sent)
            sent(line);
    }
    void OnError(irc::User* user, const std::string& numeric, const std::string& text) override
    {
        if (error)
            error(user, numeric, text);
    }
};

std::unique_ptr<net::LineTransport> socketTo(test::EventQueue& gui)
{
    return std::make_unique<net::SocketLineTransport>(gui);
}

// An engine on a scripted server (EngineOnFake: on a FakeServer over a real socket),
// with what it reports.
class EngineTest : public ::testing::Test {
protected:
    explicit EngineTest(bool socket = false)
        : fake(socket ? std::make_unique<FakeServer>() : nullptr),
          irc(socket ? socketTo(gui) : test::ScriptedTransport::Make(server), events)
    {
    }
    void connect(const std::string& password = {})
    {
        irc.Host = server ? "irc.example" : "127.0.0.1";
        irc.Port = server ? 6667 : fake->port();
        irc.BoundIP = "127.0.0.1";
        irc.Password = password;
        events.stateChanged = [this] { states.push_back(irc.State()); };
        events.received = [this](const std::string& line) { received.push_back(line); };
        events.error = [this](irc::User* user, const std::string& numeric, const std::string& text) {
            errors.push_back(test::word(user) + "|" + numeric + "|" + text);
        };
        irc.Connect(3000);
        ASSERT_TRUE(server || fake->waitForReceived("USER "));
    }
    test::EventQueue gui;
    std::unique_ptr<FakeServer> fake;
    test::ScriptedTransport* server = nullptr;
    // Declared before the engine: its destructor still reports into them.
    std::vector<irc::ClientState> states;
    Events received;
    Events errors;
    ConnectionEvents events;
    Client irc;
};

struct EngineOnFake : EngineTest {
    EngineOnFake() : EngineTest(true) {}
};

TEST_F(EngineTest, RegistrationLinesAndTheServerNameReusedNextTime)
{
    irc.Socks.Version = net::SocksVersion::Socks5;
    connect("sesame");
    // CAP LS goes first; the registration lines stay as they were.
    EXPECT_EQ(server->Written(), (Events{"CAP LS 302", "PASS sesame", "NICK Nick", "USER Benutzername 127.0.0.1 127.0.0.1 :Wirklicher Name"}));
    const net::LineEndpoint& to = server->OpenedTo;
    EXPECT_EQ(to.Host + ":" + std::to_string(to.Port) + " " + to.BoundIP + " " + std::to_string(static_cast<int>(to.Socks.Version)), "irc.example:6667 127.0.0.1 3");
    EXPECT_EQ(states, (std::vector{irc::ClientState::Connecting, irc::ClientState::LoggingOn}));
    server->Say({":srv.example 001 Nick :Welcome"});
    EXPECT_EQ(states.back(), irc::ClientState::Connected);
    EXPECT_EQ(irc.WelcomeServer(), "srv.example");
    server->Say({":Nick!u@h JOIN #c"});
    EXPECT_EQ(server->Written(), Events{"MODE #c "}); // the join asks for the modes

    // Without password and BoundIP: the machine's first address, the server's name, no PASS.
    irc.Password.clear();
    irc.BoundIP.clear();
    irc.Connect(3000);
    EXPECT_EQ(server->Written(), (Events{"CAP LS 302", "NICK Nick", "USER Benutzername " + net::LocalIPv4Address() + " srv.example :Wirklicher Name"}));
    EXPECT_EQ(irc.Users.Count(), 1); // tracking starts again with only the own user
    EXPECT_EQ(irc.Channels.Count(), 0);
}

TEST_F(EngineTest, SendOperationsWriteExactlyTheseLinesAndNeverALineBreak)
{
    connect();
    server->Written();
    irc.SetUserMode(irc::user_mode::Operator); // ignored while connected
    const std::vector<std::pair<std::function<void()>, std::string>> rows = {
        {[&] { irc.Raw("WHOIS bob"); }, "WHOIS bob"}, {[&] { irc.Say("#c", "hi there"); }, "PRIVMSG #c :hi there"},
        {[&] { irc.Notice("bob", "psst"); }, "NOTICE bob :psst"},
        {[&] { irc.CtcpQuery("t", "version", ""); }, "PRIVMSG t :\x01VERSION \x01"},
        {[&] { irc.CtcpQuery("t", "ping", "123"); }, "PRIVMSG t :\x01PING 123\x01"},
        {[&] { irc.CtcpReply("t", "version", "Tarn-IRC"); }, "NOTICE t :\x01version Tarn-IRC\x01"},
        {[&] { irc.Action("#c", "waves"); }, "PRIVMSG #c :\x01" "ACTION waves\x01"},
        {[&] { irc.Join("#c"); }, "JOIN #c"}, {[&] { irc.Join("#c", "key"); }, "JOIN #c key"},
        {[&] { irc.Part("#c"); }, "PART #c"}, {[&] { irc.Part("#c", "bye now"); }, "PART #c :bye now"},
        {[&] { irc.Kick("#c", "bob", ""); }, "KICK #c bob :"},
        {[&] { irc.Kick("#c", "bob", "out"); }, "KICK #c bob :out"}, {[&] { irc.Quit(""); }, "QUIT :"},
        {[&] { irc.Quit("later"); }, "QUIT :later"}, {[&] { irc.Mode("#c", "+o", "bob"); }, "MODE #c +o bob"},
        {[&] { irc.Mode("#c", "+m"); }, "MODE #c +m"}, {[&] { irc.Mode("#c", ""); }, "MODE #c "},
        {[&] { irc.SetNick("newnick"); }, "NICK newnick"}, // only asks the server
        // A peer's text echoed back cannot smuggle in a second command.
        {[&] { irc.Say("bob", "hello\r\nQUIT :gotcha"); }, "PRIVMSG bob :hello"},
        {[&] { irc.Raw(std::string("PRIVMSG bob :a\0QUIT", 19)); }, "PRIVMSG bob :a"},
        {[&] { irc.CtcpReply("bob", "PING", "x\nKILL me"); }, "NOTICE bob :\x01PING x"},
    };
    Events reported, lines;
    events.sent = [&](const std::string& line) { reported.push_back(line); };
    for (const auto& [send, line] : rows) {
        send();
        lines.push_back(line);
    }
    EXPECT_EQ(server->Written(), lines);
    EXPECT_EQ(reported, lines);
    EXPECT_EQ(irc.Nick(), "Nick");
    EXPECT_EQ(irc.UserMode(), 0);
}

TEST(EngineOffline, SettingsAreStoredAndARefusedPortThrowsAndStaysConnecting)
{
    test::EventQueue gui;
    irc::ClientEvents events;
    Client irc(socketTo(gui), events);
    irc.SetNick("alice");
    irc.SetUserMode(irc::user_mode::Invisible | irc::user_mode::Wallops);
    EXPECT_EQ(irc.Nick(), "alice");
    EXPECT_EQ(irc.UserMode(), irc::user_mode::Invisible | irc::user_mode::Wallops);
    irc.Host = "127.0.0.1";
    irc.Port = test::freePort();
    EXPECT_THROW(irc.Connect(3000), net::TransportError);
    EXPECT_EQ(irc.State(), irc::ClientState::Connecting);
    EXPECT_FALSE(irc.Connected());
    for (const auto& [name, expected] : {std::pair{"#c", true}, {"&local", true}, {"!safe", true}, {"+modeless", true},
                                         {"", false}, {"bob", false}, {"c#", false}})
        EXPECT_EQ(Client::IsChannel(name), expected) << name;
}

TEST_F(EngineTest, PlainDisconnectIsIgnoredWhileLoggingOn)
{
    connect();
    irc.Disconnect(false);
    EXPECT_EQ(irc.State(), irc::ClientState::LoggingOn);
    EXPECT_TRUE(irc.Connected());
    const int closes = server->Closes;
    irc.Disconnect(true);
    EXPECT_EQ(irc.State(), irc::ClientState::Disconnected);
    EXPECT_FALSE(irc.Connected());
    EXPECT_EQ(server->Closes, closes + 1);
    EXPECT_EQ(irc.OwnUser(), nullptr);
    EXPECT_EQ(irc.Users.Count(), 0);
}

// A burst is handled in order with control bytes unharmed, and a line that disconnects
// drops the rest of it; its QUIT still goes out, as an orderly disconnect lets the queue drain.
TEST_F(EngineOnFake, ABurstIsHandledInOrderUntilALineDisconnects)
{
    connect();
    std::string burst;
    for (int i = 0; i < 2000; ++i)
        burst += ":srv NOTICE Nick :line " + std::to_string(i) + "\r\n";
    const std::string odd("PRIVMSG Nick :a\0b\x02\x1f\x7f", 20);
    events.received = [&](const std::string& line) {
        received.push_back(line);
        if (line != "BYE")
            return;
        irc.Quit("bye");
        irc.Disconnect(true);
    };
    fake->send(burst + odd + "\r\nBYE\r\nTHREE\r\n");
    ASSERT_TRUE(gui.pumpUntil([&] { return irc.State() == irc::ClientState::Disconnected; }));
    gui.pump();
    ASSERT_EQ(received.size(), 2002u);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(received[i], ":srv NOTICE Nick :line " + std::to_string(i));
    EXPECT_EQ(received[2000], odd);
    EXPECT_TRUE(fake->waitForReceived("Wirklicher Name\r\nQUIT :bye\r\n"));
}

// The ways a connection can end under the reader: each leaves the engine not
// connected, raises no event and crashes nothing.
enum class Ending { CloseMidLine, Reset, OverLongLine };

class ReaderEnding : public EngineOnFake, public ::testing::WithParamInterface<Ending> {};

TEST_P(ReaderEnding, EndsTheReaderSilently)
{
    connect();
    bool disconnectEvent = false;
    events.disconnected = [&] { disconnectEvent = true; };
    if (GetParam() == Ending::CloseMidLine) {
        fake->send(":srv NOTICE Nick :complete\r\n:srv NOTICE Nick :half");
        ASSERT_TRUE(gui.pumpUntil([&] { return received.size() == 1; }));
        fake->closeClient();
    } else if (GetParam() == Ending::Reset) {
        fake->closeClient(true);
    } else {
        fake->send(":srv NOTICE Nick :" + std::string(20000, 'x') + "\r\n:srv NOTICE Nick :after\r\n");
    }
    ASSERT_TRUE(gui.pumpUntil([&] { return !irc.Connected(); }));
    gui.pump();
    EXPECT_FALSE(disconnectEvent);
    EXPECT_EQ(irc.State(), irc::ClientState::LoggingOn);
    EXPECT_EQ(received.size(), GetParam() == Ending::CloseMidLine ? 1u : 0u);
    irc.Raw("PING :x"); // reports the lost connection instead of writing into the void
    EXPECT_EQ(errors.back(), "-||Nicht mit Server verbunden.");
}

INSTANTIATE_TEST_SUITE_P(Endings, ReaderEnding, ::testing::Values(Ending::CloseMidLine, Ending::Reset, Ending::OverLongLine));

// The reader has handed a line over and waits for the GUI thread when the engine is
// disconnected or destroyed: nothing deadlocks and the late hand-over touches nothing.
TEST(EngineLifetime, EndingTheEngineWhileItsReaderWaitsForTheGuiThread)
{
    for (const bool destroy : {true, false}) {
        test::EventQueue gui;
        FakeServer fake;
        int handled = 0;
        ConnectionEvents events;
        events.received = [&](const std::string&) { ++handled; };
        auto irc = std::make_unique<Client>(socketTo(gui), events);
        irc->Host = "127.0.0.1";
        irc->Port = fake.port();
        irc->Connect(3000);
        ASSERT_TRUE(fake.waitForReceived("USER "));
        fake.send(":srv NOTICE Nick :one\r\n");
        for (int i = 0; i < 1000 && gui.pending() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_GT(gui.pending(), 0u);
        if (destroy)
            irc.reset();
        else
            irc->Disconnect(true);
        gui.pump();
        EXPECT_EQ(handled, 0);
        EXPECT_TRUE(destroy || irc->State() == irc::ClientState::Disconnected);
    }
}

// A server that accepts and never reads: each write returns at once (a blocking one
// would hang here for ever), what reaches the peer is our lines in order, and both the
// bound and a teardown with a send stuck end the connection without waiting on the peer.
TEST(EngineWrites, AServerThatStopsReadingCostsTheBoundNotTheGuiThread)
{
    for (const bool toTheBound : {true, false}) {
        int port = 0;
        const int listener = test::listenLoopback(1, port);
        test::EventQueue gui;
        ConnectionEvents events;
        auto irc = std::make_unique<Client>(socketTo(gui), events);
        irc->Host = "127.0.0.1";
        irc->BoundIP = "127.0.0.1";
        irc->Port = port;
        events.connected = [&] { irc->Raw("PING :early"); }; // queued before the writer starts
        irc->Connect(3000);
        const int peer = test::acceptFor(listener, 5000);
        ASSERT_GE(peer, 0);
        std::string expected = "PING :early\r\nCAP LS 302\r\nNICK Nick\r\nUSER Benutzername 127.0.0.1 127.0.0.1 :Wirklicher Name\r\n", error;
        try {
            const std::size_t goal = toTheBound ? 4 * net::QueuedWriter::DefaultBound : 400000;
            for (int i = 0; expected.size() < goal; ++i) {
                const std::string line = "PRIVMSG #c :" + std::to_string(i) + std::string(400, 'x');
                irc->Raw(line);
                expected += line + "\r\n";
            }
        } catch (const net::TransportError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, toTheBound ? net::TransportError::socket(ENOBUFS).what() : "");
        EXPECT_EQ(irc->Connected(), !toTheBound);
        EXPECT_GT(expected.size() + 500, toTheBound ? net::QueuedWriter::DefaultBound : 0); // at the bound, not before
        irc.reset();
        std::string got;
        test::readExactly(peer, expected.size() + 1, got, 2000); // all that came, up to our close
        EXPECT_GT(got.size(), 1000u) << toTheBound;
        EXPECT_TRUE(expected.starts_with(got)) << toTheBound;
        ::close(peer);
        ::close(listener);
    }
}

} // namespace
