#include "net/LocalAddress.h"
#include "net/NonBlockingClient.h"
#include "net/TcpClient.h"
#include "net/TcpConnection.h"
#include "net/TcpServer.h"
#include "net/TransportError.h"
#include "support/CaseFile.h"
#include "support/FakeServer.h"
#include "support/Loopback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <type_traits>
#include <unistd.h>

namespace pell::net {
namespace {

using namespace std::string_literals;
using test::sendAll;
using Lines = std::vector<std::string>;

// An action's result ("" when it has none), or "kind|text" of the error it throws.
template <typename Action>
std::string outcome(const Action& action)
{
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Action>>)
            action();
        else
            return action();
    } catch (const TransportError& error) {
        return std::to_string(int(error.kind())) + "|" + error.what();
    }
    return "";
}
std::string kindText(TransportError::Kind kind, const std::string& text) { return std::to_string(int(kind)) + "|" + text; }
const std::string kTimeout = kindText(TransportError::Kind::ReadTimeout, "Zeitüberschreitung beim Lesen");
const std::string kTooLong = kindText(TransportError::Kind::LineTooLong, "Max. Zeilenlänge überschritten.");
const std::string kNotConnected = kindText(TransportError::Kind::NotConnected, "Nicht verbunden");

// A connection over 127.0.0.1 with the raw socket of its peer in the test's hands.
class TcpConnectionTest : public ::testing::Test {
protected:
    TcpConnectionTest() { reconnect(); }
    ~TcpConnectionTest() override { closePeer(); }
    void reconnect()
    {
        closePeer();
        std::tie(ours, peer) = test::connectedPair();
        connection.emplace(ours);
    }
    void closePeer()
    {
        if (peer >= 0)
            ::close(std::exchange(peer, -1));
    }
    // Makes sure the bytes are in the input buffer before the test reads.
    void feed(const std::string& bytes)
    {
        ASSERT_TRUE(sendAll(peer, bytes));
        for (const std::size_t before = connection->BufferedCount(); connection->BufferedCount() < before + bytes.size();)
            connection->WaitForData(true, 2000);
    }
    // Sends the bytes a little later from another thread, while the test blocks in a read.
    std::thread later(const std::string& bytes)
    {
        return std::thread([this, bytes] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            sendAll(peer, bytes);
        });
    }
    std::string readLine(char terminator = '\n', int timeoutMs = -1, int maxLength = -1)
    { return outcome([&] { return connection->ReadLine(terminator, timeoutMs, maxLength); }); }

    int ours = -1, peer = -1;
    std::optional<TcpConnection> connection;
};

TEST_F(TcpConnectionTest, ReadLineSplitsAtLineFeedAndDropsOnlyTheCarriageReturnBeforeIt)
{
    for (const test::Case& c : test::readCases("net/lines.cases")) {
        feed(c.one("wire"));
        for (const std::string& expected : c.lines("line"))
            EXPECT_EQ(readLine(), expected) << c.name;
        EXPECT_EQ(connection->BufferedCount(), 0u) << c.name;
    }
    // A carriage return alone leaves the line open; it completes across reads.
    feed("ab\r");
    EXPECT_EQ(readLine('\n', 100), kTimeout);
    feed("c\nPI");
    std::thread rest = later("NG :x\r\nab\r;cd;"); // another terminator keeps the carriage return
    EXPECT_EQ((Lines{readLine(), readLine(), readLine(';'), readLine(';')}), (Lines{"ab\rc", "PING :x", "ab\r", "cd"}));
    rest.join();
}

TEST_F(TcpConnectionTest, LineLengthLimit)
{
    // Exactly 16384 characters pass by default (the CR does not count), one more fails.
    const std::string longest(16384, 'a');
    feed(longest + "\r\n" + longest + "b\r\n");
    EXPECT_EQ(readLine() == longest ? readLine() : "lost the longest", kTooLong);
    connection->ReadBytes(connection->BufferedCount());
    feed("abcdef\n"); // the length argument overrides the setting
    EXPECT_EQ((Lines{readLine('\n', -1, 3), readLine('\n', -1, 6)}), (Lines{kTooLong, "abcdef"}));
    // TakeBufferedLine leaves over-long lines to ReadLine.
    connection->MaxLineLength = 5;
    std::string line;
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    feed("abcde\r\nabcdef\n");
    EXPECT_TRUE(connection->TakeBufferedLine(line));
    EXPECT_EQ(line, "abcde");
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    EXPECT_EQ(readLine(), kTooLong);
    connection->ReadBytes(connection->BufferedCount());
    // Split hands out the head, then the rest, also of a line with no end yet.
    connection->LineAction = MaxLineAction::Split;
    feed("abcdefgh\r\nxy\r\n0123456789");
    for (const char* expected : {"abcde", "fgh", "xy"})
        EXPECT_EQ(readLine(), expected);
    EXPECT_EQ(readLine('\n', 100), "01234");

    // A peer that never sends a line feed must not make the reader buffer without end.
    reconnect();
    ASSERT_TRUE(sendAll(peer, std::string(40000, 'x')));
    EXPECT_EQ(readLine('\n', 2000), kTooLong);
    EXPECT_LE(connection->BufferedCount(), 40000u);
}

TEST_F(TcpConnectionTest, WaitForDataAndReadBytes)
{
    ASSERT_TRUE(sendAll(peer, "12345"));
    for (std::size_t got = 0; got < 5;)
        got += connection->WaitForData(true, 2000);
    auto wait = [&](int timeoutMs) { return outcome([&] { return std::to_string(connection->WaitForData(true, timeoutMs)); }); };
    EXPECT_EQ(wait(50), kTimeout);
    connection->ReadTimeout = 50; // the default time-out comes from the setting
    EXPECT_EQ(wait(-1), kTimeout);
    connection->ReadTimeout = 0;
    // ReadBytes waits for exactly its count and leaves the rest buffered.
    std::thread rest = later("defgh\r\nnext\n");
    EXPECT_EQ(connection->ReadBytes(7), "12345de");
    rest.join();
    EXPECT_EQ((Lines{connection->ReadText(2), readLine(), readLine(), connection->ReadBytes(0)}), (Lines{"fg", "h", "next", ""}));
    // One wait takes at most one receive buffer.
    connection->RecvBufferSize = 4096;
    const std::string block(10000, 'z');
    ASSERT_TRUE(sendAll(peer, block));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_LE(connection->WaitForData(true, 2000), 4096u);
    EXPECT_EQ(connection->ReadBytes(10000), block);
}

TEST_F(TcpConnectionTest, WritesArriveExactlyAndAnEmptyWriteSendsNothing)
{
    connection->WriteBytes("", 0);
    connection->WriteBytes(std::string_view{});
    connection->WriteLine("NICK bob");
    connection->WriteLine("");
    connection->WriteBytes("\x00\x01"s);
    std::string got;
    ASSERT_TRUE(test::readExactly(peer, 14, got, 2000));
    EXPECT_EQ(got, "NICK bob\r\n\r\n\x00\x01"s);
    EXPECT_NO_THROW(TcpConnection().WriteBytes("", 0)); // nor fails when closed
}

// Closing mid-line, closing quietly or resetting: the half line is lost, the error
// tells which, and the connection is no longer connected.
TEST_F(TcpConnectionTest, PeerEndingTheConnection)
{
    ASSERT_TRUE(sendAll(peer, "PING :first\r\nPING :hal"));
    closePeer();
    EXPECT_EQ((Lines{readLine(), readLine()}), (Lines{"PING :first", kindText(TransportError::Kind::ConnectionClosed, "Die Verbindung wurde erfolgreich geschlossen.")}));
    EXPECT_FALSE(connection->Connected());
    EXPECT_EQ(outcome([&] { connection->WriteLine("QUIT"); }), kNotConnected);

    reconnect();
    closePeer();
    EXPECT_EQ(connection->WaitForData(false, 2000), 0u); // not asked to raise
    EXPECT_FALSE(connection->Connected());

    reconnect();
    test::resetAndClose(std::exchange(peer, -1));
    EXPECT_EQ(readLine('\n', 2000), kindText(TransportError::Kind::Socket, "Socket-Fehler # 104\r\nConnection reset by peer"));
    EXPECT_FALSE(connection->Connected());
}

TEST_F(TcpConnectionTest, ShutdownFromAnotherThreadWakesABlockedReader)
{
    std::atomic<bool> ended{false};
    std::thread reader([&] {
        readLine();
        ended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(ended);
    connection->Shutdown();
    reader.join();
    EXPECT_FALSE(connection->Connected());
}

TEST_F(TcpConnectionTest, DisconnectFiresEveryTimeAndClosesTheSocket)
{
    int fired = 0;
    connection->OnDisconnected = [&] { ++fired; };
    connection->Disconnect();
    EXPECT_FALSE(connection->Connected());
    std::string got;
    EXPECT_FALSE(test::readExactly(peer, 1, got, 2000)); // the peer sees the close
    connection->Disconnect();
    TcpConnection neverOpen;
    neverOpen.OnDisconnected = [&] { ++fired; };
    neverOpen.Disconnect();
    EXPECT_EQ(fired, 3);
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { neverOpen.WaitForData(); }, [&] { neverOpen.ReadLine(); }, [&] { neverOpen.ReadBytes(1); },
             [&] { neverOpen.WriteLine("x"); }, [&] { neverOpen.WriteBytes("x", 1); }})
        EXPECT_EQ(outcome(operation), kNotConnected);
}

bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

std::unique_ptr<TcpClient> connectTo(const TcpServer& server)
{
    auto client = std::make_unique<TcpClient>();
    client->Host = "127.0.0.1";
    client->Port = server.BoundPort();
    client->ReadTimeout = 5000;
    client->Connect(3000);
    return client;
}

// A server whose handler reads one line per call and records which worker got it,
// in a worker class of its own that counts the calls.
class TcpServerTest : public ::testing::Test {
protected:
    struct CountingWorker : TcpServerWorker {
        using TcpServerWorker::TcpServerWorker;
        int calls = 0;
    };
    void SetUp() override
    {
        server.ThreadClass = [this](int socket) {
            ++made;
            return std::make_unique<CountingWorker>(socket);
        };
        server.SetOnExecute(handler);
        server.Start();
    }
    bool connections(std::size_t count) { return eventually([&] { return server.ConnectionCount() == count; }); }

    const TcpServer::ExecuteHandler handler = [this](TcpServerWorker& worker) {
        const std::string line = worker.Connection().ReadLine();
        if (line == "boom")
            throw std::runtime_error("handler failed");
        std::lock_guard lock(mutex);
        lines[&worker].push_back(line + "#" + std::to_string(++static_cast<CountingWorker&>(worker).calls));
        ++lineCount;
    };
    TcpServer server;
    std::atomic<int> made{0}, lineCount{0};
    std::mutex mutex;
    std::map<TcpServerWorker*, std::vector<std::string>> lines;
};

TEST_F(TcpServerTest, EachConnectionGetsItsOwnWorkerServedAtTheSameTime)
{
    EXPECT_TRUE(server.Active());
    EXPECT_EQ(server.BoundAddress(), "::"); // every address of both families
    auto first = connectTo(server), second = connectTo(server);
    ASSERT_TRUE(connections(2));
    // Both workers block in a read at once; lines from either arrive.
    second->WriteLine("from second");
    first->WriteLine("from first");
    second->WriteLine("again\x01 second");
    ASSERT_TRUE(eventually([&] { return lineCount == 3; }));
    EXPECT_EQ(made, 2);
    std::set<std::vector<std::string>> seen;
    for (const auto& [worker, got] : lines)
        seen.insert(got);
    EXPECT_EQ(seen, (std::set<std::vector<std::string>>{{"from first#1"}, {"from second#1", "again\x01 second#2"}}));

    // Sending to every live connection under the lock, and only to those.
    server.ForEachConnection([&](TcpConnection& connection) { connection.WriteLine("hello all"); });
    EXPECT_EQ(first->ReadLine(), "hello all");
    EXPECT_EQ(second->ReadLine(), "hello all");
    first->Disconnect();
    ASSERT_TRUE(connections(1));
    int visited = 0;
    server.ForEachConnection([&](TcpConnection&) { ++visited; });
    EXPECT_EQ(visited, 1);
}

TEST_F(TcpServerTest, HandlerErrorEndsOnlyItsOwnConnection)
{
    auto failing = connectTo(server), healthy = connectTo(server);
    ASSERT_TRUE(connections(2));
    failing->WriteLine("boom");
    EXPECT_THROW(failing->ReadLine(), TransportError); // its connection was closed
    ASSERT_TRUE(connections(1));
    healthy->WriteLine("still here");
    EXPECT_TRUE(eventually([&] { return lineCount == 1; }));
    healthy->WriteLine(std::string(20000, 'x')); // an over-long line fails the read the same way
    EXPECT_TRUE(connections(0));
}

TEST_F(TcpServerTest, DisconnectAllAndStopEndEveryWorkerAndTheServerCanStartAgain)
{
    // Closing a chat window: the handler goes quiet (returns without reading, so it never
    // sees the close itself), then every connection is dropped.
    auto first = connectTo(server), second = connectTo(server);
    ASSERT_TRUE(connections(2));
    server.SetOnExecute([](TcpServerWorker&) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
    server.DisconnectAll();
    EXPECT_TRUE(connections(0));
    for (auto* client : {first.get(), second.get()})
        EXPECT_THROW(client->ReadLine(), TransportError);

    server.SetOnExecute(handler);
    auto blocked = connectTo(server);
    ASSERT_TRUE(connections(1));
    server.Stop();
    EXPECT_FALSE(server.Active());
    EXPECT_EQ(server.ConnectionCount(), 0u);
    EXPECT_THROW(blocked->ReadLine(), TransportError);
    server.Start();
    connectTo(server)->WriteLine("after restart");
    EXPECT_TRUE(eventually([&] { return lineCount == 1; }));
}

TEST_F(TcpServerTest, StopWaitsForAWorkerThatIsBusyElsewhere)
{
    std::atomic<bool> inHandler{false}, finished{false};
    server.SetOnExecute([&](TcpServerWorker&) {
        inHandler = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        finished = true;
    });
    auto client = connectTo(server);
    ASSERT_TRUE(eventually([&] { return inHandler.load(); }));
    server.Stop();
    EXPECT_TRUE(finished);
    EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST(TcpServer, TakenPortGivesTheBindError)
{
    TcpServer first;
    first.Start();
    TcpServer second;
    second.DefaultPort = first.BoundPort();
    EXPECT_EQ(outcome([&] { second.Start(); }),
              kindText(TransportError::Kind::BindFailed, "Socket konnte nicht gebunden werden. Adresse und Port werden bereits benutzt."));
    EXPECT_FALSE(second.Active());
    const int free = test::freePort();
    second.DefaultPort = free;
    second.Start();
    EXPECT_EQ(second.BoundPort(), free);
}

// Through a local bouncer or an SSH forward the IRC socket sits on loopback, which no
// peer can reach: offers then name the machine's own address, as behind a proxy.
TEST(LocalAddress, AnIrcSocketOnLoopbackIsNotTheOfferedAddress)
{
    if (LocalAddressOf(-1, true) == "127.0.0.1")
        GTEST_SKIP() << "this machine has no address but loopback";
    const auto [ours, peer] = test::connectedPair();
    EXPECT_NE(LocalAddressOf(ours, false), "127.0.0.1");
    ::close(ours);
    ::close(peer);
}

TEST(NonBlockingClient, HostAndPortRules)
{
    NonBlockingClient client;
    for (const auto& [given, host] : {std::pair{"", "0.0.0.0"}, {"127.0.0.1", "127.0.0.1"}, {"localhost", "127.0.0.1"},
                                      {"1.2.3", ""}, {"300.1.1.1", ""}, {"12abc", ""}}) {
        client.SetRemoteHost(given);
        EXPECT_EQ(client.RemoteHost(), host) << "host: " << given;
    }
    for (const auto& [given, port] : {std::pair{"ircd", 6667}, {"6667", 6667}, {"59", 59}}) {
        client.SetRemotePort(given);
        EXPECT_EQ(client.RemotePort(), port) << "port: " << given;
    }
}

// A client polling a fake peer the way the connecting chat window does.
class NonBlockingClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client.OnReceive = [this](const char* data, std::size_t length) { chunks.emplace_back(data, length); };
        client.OnError = [this](int error) { errors.push_back(error); };
        client.SetRemoteHost("127.0.0.1");
        client.SetRemotePort(std::to_string(server.port()));
        client.Open();
        ASSERT_TRUE(server.waitForClient());
    }
    // Polls until a chunk arrives; a poll that finds nothing waiting hands out nothing.
    std::string pollOnce()
    {
        const std::size_t before = chunks.size();
        for (int i = 0; i < 200 && chunks.size() == before; ++i) {
            client.PollLine();
            if (chunks.size() == before)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return chunks.size() > before ? chunks.back() : std::string("<nothing>");
    }

    test::FakeServer server;
    NonBlockingClient client;
    std::vector<std::string> chunks;
    std::vector<int> errors;
};

TEST_F(NonBlockingClientTest, EachPollTakesAtMostOneLineOrAllThereIsWithoutLineEnd)
{
    server.send("hi\r\nyo\r\n");
    EXPECT_EQ(pollOnce(), "hi\r\n");
    EXPECT_EQ((Lines{client.PollLine(), chunks.back(), client.PollLine()}), (Lines{"yo", "yo\r\n", ""}));
    EXPECT_EQ(chunks.size(), 2u);
    server.send("hal");
    EXPECT_EQ(pollOnce(), "hal");
    server.send(std::string("f a line\rstill\n\0\r\nnext\r\n", 24));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pollOnce(), std::string("f a line\rstill\n\0\r\n", 18));
    EXPECT_EQ(pollOnce(), "next\r\n");

    client.SendLine("hello there");
    client.SendLine("");
    client.SendLine("x", "\n");
    EXPECT_TRUE(server.waitForReceived("hello there\r\n\r\nx\n"));

    // The partner going away is not noticed.
    server.closeClient();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(client.PollLine(), "");
    EXPECT_EQ(chunks.size(), 5u);
    EXPECT_TRUE(errors.empty());
}

TEST(NonBlockingClient, ErrorsGoOnlyToTheErrorCallbackOrPassSilently)
{
    for (const bool withCallback : {true, false}) {
        NonBlockingClient client;
        std::vector<int> errors;
        if (withCallback)
            client.OnError = [&](int error) { errors.push_back(error); };
        client.OnReceive = [&](const char*, std::size_t) { ADD_FAILURE() << "received from nowhere"; };
        client.SendLine("before open");
        EXPECT_EQ(client.PollLine(), "");
        client.SetRemoteHost("999.1.1.1"); // the host becomes empty: no valid address
        client.SetRemotePort("6667");
        EXPECT_NO_THROW(client.Open());
        EXPECT_NO_THROW(client.SendLine("nowhere"));
        errors.clear();
        client.SetRemoteHost("127.0.0.1");
        client.SetRemotePort(std::to_string(test::freePort()));
        client.Open();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(client.PollLine(), ""); // the refusal shows at the first poll
        EXPECT_EQ(errors, withCallback ? std::vector<int>{ECONNREFUSED} : std::vector<int>{});
        for (int i = 0; i < 5; ++i) {
            client.SendLine("refused");
            EXPECT_EQ(client.PollLine(), "");
        }
        client.Close();
        client.Close(); // a second close does nothing
        EXPECT_FALSE(client.IsOpen());
    }
}

} // namespace
} // namespace pell::net
