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

// The error an action throws, as "kind|text"; "none" when it throws nothing.
std::string failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const TransportError& error) {
        return std::to_string(int(error.kind())) + "|" + error.what();
    }
    return "none";
}
const std::string kTimeout = std::to_string(int(TransportError::Kind::ReadTimeout)) + "|Zeitüberschreitung beim Lesen";
const std::string kTooLong = std::to_string(int(TransportError::Kind::LineTooLong)) + "|Max. Zeilenlänge überschritten.";
const std::string kClosed =
    std::to_string(int(TransportError::Kind::ConnectionClosed)) + "|Die Verbindung wurde erfolgreich geschlossen.";
const std::string kNotConnected = std::to_string(int(TransportError::Kind::NotConnected)) + "|Nicht verbunden";

// A connection over 127.0.0.1 with the raw socket of its peer in the test's hands.
class TcpConnectionTest : public ::testing::Test {
protected:
    TcpConnectionTest()
    {
        auto [ours, theirs] = test::connectedPair();
        connection.emplace(ours);
        peer = theirs;
    }
    ~TcpConnectionTest() override { closePeer(); }
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
        const std::size_t before = connection->BufferedCount();
        while (connection->BufferedCount() < before + bytes.size())
            connection->WaitForData(true, 2000);
    }
    // Sends the bytes from another thread a little later, while the test blocks in a read.
    std::thread later(const std::string& bytes)
    {
        return std::thread([this, bytes] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            sendAll(peer, bytes);
        });
    }

    std::optional<TcpConnection> connection;
    int peer = -1;
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
            EXPECT_EQ(connection->ReadLine(), expected) << "wire: " << wire;
        EXPECT_EQ(connection->BufferedCount(), 0u);
    }
    // A carriage return alone leaves the line open; it completes across reads.
    feed("ab\r");
    EXPECT_EQ(failureOf([&] { connection->ReadLine('\n', 100); }), kTimeout);
    feed("c\n");
    EXPECT_EQ(connection->ReadLine(), "ab\rc");
    ASSERT_TRUE(sendAll(peer, "PI"));
    std::thread rest = later("NG :x\r\n");
    EXPECT_EQ(connection->ReadLine(), "PING :x");
    rest.join();
    // Another terminator keeps the carriage return.
    feed("ab\r;cd;");
    EXPECT_EQ(connection->ReadLine(';'), "ab\r");
    EXPECT_EQ(connection->ReadLine(';'), "cd");
}

TEST_F(TcpConnectionTest, LineLengthLimit)
{
    // Exactly 16384 characters pass by default (the CR does not count), one more fails.
    const std::string longest(16384, 'a');
    feed(longest + "\r\n");
    EXPECT_EQ(connection->ReadLine(), longest);
    feed(longest + "b\r\n");
    EXPECT_EQ(failureOf([&] { connection->ReadLine(); }), kTooLong);
    connection->ReadBytes(connection->BufferedCount());
    // The length argument overrides the setting.
    feed("abcdef\n");
    EXPECT_EQ(failureOf([&] { connection->ReadLine('\n', -1, 3); }), kTooLong);
    EXPECT_EQ(connection->ReadLine('\n', -1, 6), "abcdef");
    // TakeBufferedLine leaves over-long lines to ReadLine.
    connection->MaxLineLength = 5;
    std::string line;
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    feed("abcde\r\nabcdef\n");
    ASSERT_TRUE(connection->TakeBufferedLine(line));
    EXPECT_EQ(line, "abcde");
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    EXPECT_EQ(failureOf([&] { connection->ReadLine(); }), kTooLong);
    connection->ReadBytes(connection->BufferedCount());
    // Split hands out the head, then the rest, also of a line with no end yet.
    connection->LineAction = MaxLineAction::maSplit;
    feed("abcdefgh\r\nxy\r\n");
    EXPECT_EQ(connection->ReadLine(), "abcde");
    EXPECT_EQ(connection->ReadLine(), "fgh");
    EXPECT_EQ(connection->ReadLine(), "xy");
    feed("0123456789");
    EXPECT_EQ(connection->ReadLine('\n', 100), "01234");
}

TEST_F(TcpConnectionTest, UnfinishedOverlongLineFailsWithoutWaitingForItsEnd)
{
    ASSERT_TRUE(sendAll(peer, std::string(40000, 'x')));
    EXPECT_EQ(failureOf([&] { connection->ReadLine('\n', 2000); }), kTooLong);
    EXPECT_LE(connection->BufferedCount(), 40000u);
}

TEST_F(TcpConnectionTest, WaitForDataAndReadBytes)
{
    ASSERT_TRUE(sendAll(peer, "12345"));
    std::size_t got = 0;
    while (got < 5)
        got += connection->WaitForData(true, 2000);
    EXPECT_EQ(connection->BufferedCount(), 5u);
    EXPECT_EQ(failureOf([&] { connection->WaitForData(true, 50); }), kTimeout);
    connection->ReadTimeout = 50; // the default time-out comes from the setting
    EXPECT_EQ(failureOf([&] { connection->WaitForData(); }), kTimeout);
    connection->ReadTimeout = 0;
    // ReadBytes waits for exactly its count and leaves the rest buffered.
    std::thread rest = later("defgh\r\nnext\n");
    EXPECT_EQ(connection->ReadBytes(7), "12345de");
    rest.join();
    EXPECT_EQ(connection->ReadText(2), "fg");
    EXPECT_EQ(connection->ReadLine(), "h");
    EXPECT_EQ(connection->ReadLine(), "next");
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

// Closing mid-line, resetting or closing quietly: the half line is lost, the error
// tells which, and the connection is no longer connected.
TEST_F(TcpConnectionTest, PeerEndingTheConnection)
{
    ASSERT_TRUE(sendAll(peer, "PING :first\r\nPING :hal"));
    closePeer();
    EXPECT_EQ(connection->ReadLine(), "PING :first");
    EXPECT_EQ(failureOf([&] { connection->ReadLine(); }), kClosed);
    EXPECT_FALSE(connection->Connected());
    EXPECT_EQ(failureOf([&] { connection->WriteLine("QUIT"); }), kNotConnected);

    auto [ours, theirs] = test::connectedPair();
    TcpConnection quiet(ours);
    ::close(theirs);
    EXPECT_EQ(quiet.WaitForData(false, 2000), 0u); // not asked to raise
    EXPECT_FALSE(quiet.Connected());

    std::tie(ours, theirs) = test::connectedPair();
    TcpConnection reset(ours);
    test::resetAndClose(theirs);
    EXPECT_EQ(failureOf([&] { reset.ReadLine('\n', 2000); }),
              std::to_string(int(TransportError::Kind::Socket)) + "|Socket-Fehler # 104\r\nConnection reset by peer");
    EXPECT_FALSE(reset.Connected());
}

TEST_F(TcpConnectionTest, ShutdownFromAnotherThreadWakesABlockedReader)
{
    std::atomic<bool> ended{false};
    std::thread reader([&] {
        failureOf([&] { connection->ReadLine(); });
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
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(connection->Connected());
    std::string got;
    EXPECT_FALSE(test::readExactly(peer, 1, got, 2000)); // the peer sees the close
    connection->Disconnect();
    EXPECT_EQ(fired, 2);

    TcpConnection neverOpen;
    neverOpen.OnDisconnected = [&] { ++fired; };
    neverOpen.Disconnect();
    EXPECT_EQ(fired, 3);
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { neverOpen.WaitForData(); }, [&] { neverOpen.ReadLine(); }, [&] { neverOpen.ReadBytes(1); },
             [&] { neverOpen.WriteLine("x"); }, [&] { neverOpen.WriteBytes("x", 1); }})
        EXPECT_EQ(failureOf(operation), kNotConnected);
}

} // namespace
} // namespace pell::direct
