#include "direct/TcpConnection.h"
#include "direct/TransportError.h"
#include "support/Loopback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pell::direct {
namespace {

using test::connectedPair;
using test::readExactly;
using test::sendAll;

// A connection over 127.0.0.1 with the raw socket of its peer in the test's hands.
class TcpConnectionTest : public ::testing::Test {
protected:
    TcpConnectionTest()
    {
        auto [ours, theirs] = connectedPair();
        connection.emplace(ours);
        peer = theirs;
    }
    ~TcpConnectionTest() override
    {
        if (peer >= 0)
            ::close(peer);
    }

    // Makes sure the bytes are in the input buffer before the test reads.
    void feed(const std::string& bytes)
    {
        ASSERT_TRUE(sendAll(peer, bytes));
        const std::size_t before = connection->BufferedCount();
        while (connection->BufferedCount() < before + bytes.size())
            connection->WaitForData(true, 2000);
    }

    TransportError::Kind failureOf(const std::function<void()>& action, std::string* message = nullptr)
    {
        try {
            action();
        } catch (const TransportError& error) {
            if (message)
                *message = error.what();
            return error.kind();
        }
        ADD_FAILURE() << "no TransportError";
        return TransportError::Kind::Socks;
    }

    std::optional<TcpConnection> connection;
    int peer = -1;
};

struct LineCase {
    std::string wire;
    std::vector<std::string> lines;
};

TEST_F(TcpConnectionTest, ReadLineSplitsAtLineFeedAndDropsOnlyTheCarriageReturnBeforeIt)
{
    using namespace std::string_literals;
    const LineCase cases[] = {
        {"ab\r\n", {"ab"}},
        {"ab\n", {"ab"}},
        {"\r\n", {""}},
        {"a\rb\r\n", {"a\rb"}},
        {"ab\r\r\n", {"ab\r"}},
        {"one\ntwo\r\nthree\n", {"one", "two", "three"}},
        // NUL and other control bytes are data, not terminators.
        {"PRIVMSG #c :\0\x01\x02\x1b\x7f\xff x\r\n"s, {"PRIVMSG #c :\0\x01\x02\x1b\x7f\xff x"s}},
    };
    for (const LineCase& c : cases) {
        feed(c.wire);
        for (const std::string& expected : c.lines)
            EXPECT_EQ(connection->ReadLine(), expected) << "wire: " << c.wire;
        EXPECT_EQ(connection->BufferedCount(), 0u);
    }
}

TEST_F(TcpConnectionTest, LineStaysOpenAfterCarriageReturnAloneAndCompletesAcrossReads)
{
    feed("ab\r");
    std::string message;
    EXPECT_EQ(failureOf([&] { connection->ReadLine('\n', 100); }, &message),
              TransportError::Kind::ReadTimeout);
    EXPECT_EQ(message, "Zeitüberschreitung beim Lesen");
    feed("c\n");
    EXPECT_EQ(connection->ReadLine(), "ab\rc");

    ASSERT_TRUE(sendAll(peer, "PI"));
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sendAll(peer, "NG :x\r\n");
    });
    EXPECT_EQ(connection->ReadLine(), "PING :x");
    later.join();
}

TEST_F(TcpConnectionTest, OtherTerminatorKeepsTheCarriageReturn)
{
    feed("ab\r;cd;");
    EXPECT_EQ(connection->ReadLine(';'), "ab\r");
    EXPECT_EQ(connection->ReadLine(';'), "cd");
}

TEST_F(TcpConnectionTest, LineLengthLimitWithException)
{
    // The default limit: exactly 16384 characters pass (the CR does not count), one more fails.
    EXPECT_EQ(connection->MaxLineLength, 16384);
    EXPECT_EQ(connection->LineAction, MaxLineAction::maException);
    const std::string longest(16384, 'a');
    feed(longest + "\r\n");
    EXPECT_EQ(connection->ReadLine(), longest);

    feed(longest + "b\r\n");
    std::string message;
    EXPECT_EQ(failureOf([&] { connection->ReadLine(); }, &message), TransportError::Kind::LineTooLong);
    EXPECT_EQ(message, "Max. Zeilenlänge überschritten.");
}

TEST_F(TcpConnectionTest, UnfinishedOverlongLineFailsWithoutWaitingForItsEnd)
{
    // A peer that never sends a line feed must not make the reader buffer without end.
    ASSERT_TRUE(sendAll(peer, std::string(40000, 'x')));
    EXPECT_EQ(failureOf([&] { connection->ReadLine('\n', 2000); }), TransportError::Kind::LineTooLong);
    EXPECT_LE(connection->BufferedCount(), 40000u);
}

TEST_F(TcpConnectionTest, LineLengthLimitWithSplitHandsOutHeadThenRest)
{
    connection->LineAction = MaxLineAction::maSplit;
    connection->MaxLineLength = 5;
    feed("abcdefgh\r\nxy\r\n");
    EXPECT_EQ(connection->ReadLine(), "abcde");
    EXPECT_EQ(connection->ReadLine(), "fgh");
    EXPECT_EQ(connection->ReadLine(), "xy");

    feed("0123456789");
    EXPECT_EQ(connection->ReadLine('\n', 100), "01234");
}

TEST_F(TcpConnectionTest, ReadLineLengthArgumentOverridesTheSetting)
{
    feed("abcdef\n");
    EXPECT_EQ(failureOf([&] { connection->ReadLine('\n', -1, 3); }), TransportError::Kind::LineTooLong);
    EXPECT_EQ(connection->ReadLine('\n', -1, 6), "abcdef");
}

TEST_F(TcpConnectionTest, TakeBufferedLineLeavesOverlongLinesToReadLine)
{
    connection->MaxLineLength = 5;
    std::string line;
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    feed("abcde\r\nabcdef\n");
    ASSERT_TRUE(connection->TakeBufferedLine(line));
    EXPECT_EQ(line, "abcde");
    EXPECT_FALSE(connection->TakeBufferedLine(line));
    EXPECT_EQ(failureOf([&] { connection->ReadLine(); }), TransportError::Kind::LineTooLong);
}

TEST_F(TcpConnectionTest, WaitForDataCountsBytesAndTimesOut)
{
    ASSERT_TRUE(sendAll(peer, "12345"));
    std::size_t got = 0;
    while (got < 5)
        got += connection->WaitForData(true, 2000);
    EXPECT_EQ(got, 5u);
    EXPECT_EQ(connection->BufferedCount(), 5u);
    EXPECT_EQ(failureOf([&] { connection->WaitForData(true, 50); }), TransportError::Kind::ReadTimeout);

    connection->ReadTimeout = 50; // the default time-out comes from the setting
    EXPECT_EQ(failureOf([&] { connection->WaitForData(); }), TransportError::Kind::ReadTimeout);
}

TEST_F(TcpConnectionTest, WaitForDataTakesAtMostOneReceiveBuffer)
{
    connection->RecvBufferSize = 4096;
    const std::string block(10000, 'z');
    ASSERT_TRUE(sendAll(peer, block));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_LE(connection->WaitForData(true, 2000), 4096u);
    EXPECT_EQ(connection->ReadBytes(10000), block);
}

TEST_F(TcpConnectionTest, ReadBytesTakesExactlyAndLeavesTheRestBuffered)
{
    feed("abc");
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sendAll(peer, "defgh\r\nnext\n");
    });
    EXPECT_EQ(connection->ReadBytes(5), "abcde");
    later.join();
    EXPECT_EQ(connection->ReadText(2), "fg");
    EXPECT_EQ(connection->ReadLine(), "h");
    EXPECT_EQ(connection->ReadLine(), "next");
    EXPECT_EQ(connection->ReadBytes(0), "");
}

TEST_F(TcpConnectionTest, WritesArriveExactlyAndAnEmptyWriteSendsNothing)
{
    connection->WriteBytes("", 0);
    connection->WriteBytes(std::string_view{});
    connection->WriteLine("NICK bob");
    connection->WriteLine("");
    connection->WriteBytes(std::string("\x00\x01", 2));
    std::string got;
    ASSERT_TRUE(readExactly(peer, 14, got, 2000));
    EXPECT_EQ(got, std::string("NICK bob\r\n\r\n\x00\x01", 14));

    TcpConnection closed;
    EXPECT_NO_THROW(closed.WriteBytes("", 0));
}

TEST_F(TcpConnectionTest, PeerClosingMidLineEndsTheReaderWithoutTheHalfLine)
{
    ASSERT_TRUE(sendAll(peer, "PING :first\r\nPING :hal"));
    ::close(peer);
    peer = -1;
    EXPECT_EQ(connection->ReadLine(), "PING :first");
    std::string message;
    EXPECT_EQ(failureOf([&] { connection->ReadLine(); }, &message), TransportError::Kind::ConnectionClosed);
    EXPECT_EQ(message, "Die Verbindung wurde erfolgreich geschlossen.");
    EXPECT_FALSE(connection->Connected());
    EXPECT_EQ(failureOf([&] { connection->WriteLine("QUIT"); }), TransportError::Kind::NotConnected);
}

TEST_F(TcpConnectionTest, PeerClosingIsSilentWhenNotAskedToRaise)
{
    ::close(peer);
    peer = -1;
    EXPECT_EQ(connection->WaitForData(false, 2000), 0u);
    EXPECT_FALSE(connection->Connected());
}

TEST_F(TcpConnectionTest, ResetIsASocketErrorWithItsNumberAndEndsTheConnection)
{
    test::resetAndClose(peer);
    peer = -1;
    std::string message;
    TransportError::Kind kind = failureOf([&] { connection->ReadLine('\n', 2000); }, &message);
    EXPECT_EQ(kind, TransportError::Kind::Socket);
    EXPECT_EQ(message, "Socket-Fehler # 104\r\nConnection reset by peer");
    EXPECT_FALSE(connection->Connected());
}

TEST_F(TcpConnectionTest, ShutdownFromAnotherThreadWakesABlockedReader)
{
    std::atomic<bool> ended{false};
    std::thread reader([&] {
        try {
            connection->ReadLine();
        } catch (const TransportError&) {
        }
        ended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(ended);
    connection->Shutdown();
    reader.join();
    EXPECT_TRUE(ended);
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
    EXPECT_FALSE(readExactly(peer, 1, got, 2000)); // the peer sees the close
    connection->Disconnect();
    EXPECT_EQ(fired, 2);

    TcpConnection neverOpen;
    int neverFired = 0;
    neverOpen.OnDisconnected = [&] { ++neverFired; };
    neverOpen.Disconnect();
    neverOpen.Disconnect();
    EXPECT_EQ(neverFired, 2);
}

TEST(TcpConnectionClosed, EveryOperationSaysNotConnected)
{
    TcpConnection connection;
    EXPECT_FALSE(connection.Connected());
    const std::vector<std::function<void()>> operations = {
        [&] { connection.WaitForData(); },
        [&] { connection.ReadLine(); },
        [&] { connection.ReadBytes(1); },
        [&] { connection.WriteLine("x"); },
        [&] { connection.WriteBytes("x", 1); },
    };
    for (const auto& operation : operations) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const TransportError& error) {
            EXPECT_EQ(error.kind(), TransportError::Kind::NotConnected);
            EXPECT_STREQ(error.what(), "Nicht verbunden");
        }
    }
}

} // namespace
} // namespace pell::direct
