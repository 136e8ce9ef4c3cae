#include "direct/TcpConnection.h"
#include "direct/TransportError.h"
#include "support/Loopback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <unistd.h>

namespace pell::direct {
namespace {

using namespace std::string_literals;
using test::sendAll;

// What an action gives: its result, or "kind|text" of the error it throws.
std::string outcome(const std::function<std::string()>& action)
{
    try {
        return action();
    } catch (const TransportError& error) {
        return std::to_string(int(error.kind())) + "|" + error.what();
    }
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
            ::close(peer);
        peer = -1;
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
    {
        return outcome([&] { return connection->ReadLine(terminator, timeoutMs, maxLength); });
    }

    int ours = -1, peer = -1;
    std::optional<TcpConnection> connection;
};

TEST_F(TcpConnectionTest, ReadLineSplitsAtLineFeedAndDropsOnlyTheCarriageReturnBeforeIt)
{
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {"ab\r\n", {"ab"}}, {"ab\n", {"ab"}}, {"\r\n", {""}}, {"a\rb\r\n", {"a\rb"}}, {"ab\r\r\n", {"ab\r"}},
        {"one\ntwo\r\nthree\n", {"one", "two", "three"}},
        // NUL and other control bytes are data, not terminators.
        {"PRIVMSG #c :\0\x01\x02\x1b\x7f\xff x\r\n"s, {"PRIVMSG #c :\0\x01\x02\x1b\x7f\xff x"s}},
    };
    for (const auto& [wire, lines] : rows) {
        feed(wire);
        for (const std::string& expected : lines)
            EXPECT_EQ(readLine(), expected) << "wire: " << wire;
        EXPECT_EQ(connection->BufferedCount(), 0u);
    }
    // A carriage return alone leaves the line open; it completes across reads.
    feed("ab\r");
    EXPECT_EQ(readLine('\n', 100), kTimeout);
    feed("c\n");
    EXPECT_EQ(readLine(), "ab\rc");
    ASSERT_TRUE(sendAll(peer, "PI"));
    std::thread rest = later("NG :x\r\n");
    EXPECT_EQ(readLine(), "PING :x");
    rest.join();
    feed("ab\r;cd;"); // another terminator keeps the carriage return
    EXPECT_EQ(readLine(';'), "ab\r");
    EXPECT_EQ(readLine(';'), "cd");
}

TEST_F(TcpConnectionTest, LineLengthLimit)
{
    // Exactly 16384 characters pass by default (the CR does not count), one more fails.
    const std::string longest(16384, 'a');
    feed(longest + "\r\n" + longest + "b\r\n");
    EXPECT_EQ(readLine(), longest);
    EXPECT_EQ(readLine(), kTooLong);
    connection->ReadBytes(connection->BufferedCount());
    feed("abcdef\n"); // the length argument overrides the setting
    EXPECT_EQ(readLine('\n', -1, 3), kTooLong);
    EXPECT_EQ(readLine('\n', -1, 6), "abcdef");
    // TakeBufferedLine leaves over-long lines to ReadLine.
    connection->MaxLineLength = 5;
    std::string line;
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    feed("abcde\r\nabcdef\n");
    ASSERT_TRUE(connection->TakeBufferedLine(line));
    EXPECT_EQ(line, "abcde");
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    EXPECT_EQ(readLine(), kTooLong);
    connection->ReadBytes(connection->BufferedCount());
    // Split hands out the head, then the rest, also of a line with no end yet.
    connection->LineAction = MaxLineAction::maSplit;
    feed("abcdefgh\r\nxy\r\n0123456789");
    for (const char* expected : {"abcde", "fgh", "xy"})
        EXPECT_EQ(readLine(), expected);
    EXPECT_EQ(readLine('\n', 100), "01234");

    // A peer that never sends a line feed must not make the reader buffer without end.
    connection->LineAction = MaxLineAction::maException;
    connection->MaxLineLength = 16384;
    connection->ReadBytes(connection->BufferedCount());
    ASSERT_TRUE(sendAll(peer, std::string(40000, 'x')));
    EXPECT_EQ(readLine('\n', 2000), kTooLong);
    EXPECT_LE(connection->BufferedCount(), 40000u);
}

TEST_F(TcpConnectionTest, WaitForDataAndReadBytes)
{
    ASSERT_TRUE(sendAll(peer, "12345"));
    for (std::size_t got = 0; got < 5;)
        got += connection->WaitForData(true, 2000);
    EXPECT_EQ(connection->BufferedCount(), 5u);
    auto wait = [&](int timeoutMs) { return outcome([&] { return std::to_string(connection->WaitForData(true, timeoutMs)); }); };
    EXPECT_EQ(wait(50), kTimeout);
    connection->ReadTimeout = 50; // the default time-out comes from the setting
    EXPECT_EQ(wait(-1), kTimeout);
    connection->ReadTimeout = 0;
    // ReadBytes waits for exactly its count and leaves the rest buffered.
    std::thread rest = later("defgh\r\nnext\n");
    EXPECT_EQ(connection->ReadBytes(7), "12345de");
    rest.join();
    EXPECT_EQ(connection->ReadText(2), "fg");
    EXPECT_EQ(readLine(), "h");
    EXPECT_EQ(readLine(), "next");
    EXPECT_EQ(connection->ReadBytes(0), "");
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
    TcpConnection closed;
    EXPECT_NO_THROW(closed.WriteBytes("", 0));
}

// Closing mid-line, closing quietly or resetting: the half line is lost, the error
// tells which, and the connection is no longer connected.
TEST_F(TcpConnectionTest, PeerEndingTheConnection)
{
    ASSERT_TRUE(sendAll(peer, "PING :first\r\nPING :hal"));
    closePeer();
    EXPECT_EQ(readLine(), "PING :first");
    EXPECT_EQ(readLine(), kindText(TransportError::Kind::ConnectionClosed, "Die Verbindung wurde erfolgreich geschlossen."));
    EXPECT_FALSE(connection->Connected());
    EXPECT_EQ(outcome([&] { return connection->WriteLine("QUIT"), ""; }), kNotConnected);

    reconnect();
    closePeer();
    EXPECT_EQ(connection->WaitForData(false, 2000), 0u); // not asked to raise
    EXPECT_FALSE(connection->Connected());

    reconnect();
    test::resetAndClose(peer);
    peer = -1;
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
    EXPECT_EQ(fired, 2);
    TcpConnection neverOpen;
    neverOpen.OnDisconnected = [&] { ++fired; };
    neverOpen.Disconnect();
    EXPECT_EQ(fired, 3);
    for (const auto& operation : std::vector<std::function<std::string()>>{
             [&] { return std::to_string(neverOpen.WaitForData()); }, [&] { return neverOpen.ReadLine(); },
             [&] { return neverOpen.ReadBytes(1); }, [&] { return neverOpen.WriteLine("x"), ""; },
             [&] { return neverOpen.WriteBytes("x", 1), ""; }})
        EXPECT_EQ(outcome(operation), kNotConnected);
}

} // namespace
} // namespace pell::direct
