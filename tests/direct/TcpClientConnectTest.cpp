#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "support/FakeServer.h"
#include "support/Loopback.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

namespace pell::direct {
namespace {

TEST(TcpClientConnect, RefusedPortGivesTheSocketErrorWithItsNumber)
{
    TcpClient client;
    client.Host = "127.0.0.1";
    client.Port = test::freePort();
    try {
        client.Connect(3000);
        FAIL() << "connected to a closed port";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.kind(), TransportError::Kind::Socket);
        EXPECT_EQ(error.code(), ECONNREFUSED);
        EXPECT_EQ(std::string(error.what()), "Socket-Fehler # 111\r\nConnection refused");
    }
    EXPECT_FALSE(client.Connected());
}

TEST(TcpClientConnect, ConnectNeverAcceptedTimesOutAndKeepsTheCallerResponsive)
{
    test::StalledListener stalled;
    TcpClient client;
    client.Host = "127.0.0.1";
    client.Port = stalled.port();
    int waits = 0;
    client.OnWaiting = [&] { ++waits; };
    const auto started = std::chrono::steady_clock::now();
    try {
        client.Connect(3000);
        FAIL() << "connected to a port that accepts nothing";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.kind(), TransportError::Kind::ConnectTimeout);
        EXPECT_STREQ(error.what(), "Zeitüberschreitung der Verbindung.");
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    // Not a speed check: the time-out must not fire before its time.
    EXPECT_GE(waited, std::chrono::milliseconds(2900));
    EXPECT_GT(waits, 10);
    EXPECT_FALSE(client.Connected());
}

TEST(TcpClientConnect, ConnectsByNameFiresOnConnectedAndCanReconnect)
{
    for (int round = 0; round < 2; ++round) {
        test::FakeServer server;
        TcpClient client;
        client.Host = "localhost";
        client.Port = server.port();
        int connected = 0;
        int disconnected = 0;
        client.OnConnected = [&] { ++connected; };
        client.OnDisconnected = [&] { ++disconnected; };
        client.Connect(3000);
        EXPECT_TRUE(client.Connected());
        EXPECT_EQ(connected, 1);
        client.WriteLine("NICK bob");
        EXPECT_TRUE(server.waitForReceived("NICK bob\r\n"));
        server.send(":srv 001 bob :Welcome\r\n");
        EXPECT_EQ(client.ReadLine(), ":srv 001 bob :Welcome");
        client.Disconnect();
        EXPECT_EQ(disconnected, 1);
        EXPECT_FALSE(client.Connected());
    }
}

TEST(TcpClientConnect, ServerResetAfterConnectEndsTheReader)
{
    test::FakeServer server;
    TcpClient client;
    client.Host = "127.0.0.1";
    client.Port = server.port();
    client.Connect(3000);
    ASSERT_TRUE(server.waitForClient());
    server.send("NOTICE AUTH :*** hi\r\n");
    EXPECT_EQ(client.ReadLine(), "NOTICE AUTH :*** hi");
    server.closeClient(true);
    try {
        client.ReadLine('\n', 3000);
        FAIL() << "read past a reset";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.kind(), TransportError::Kind::Socket);
        EXPECT_EQ(error.code(), ECONNRESET);
    }
    EXPECT_FALSE(client.Connected());
}

TEST(TcpClientConnect, RegistersWithARealServer)
{
    test::Ngircd ngircd;
    TcpClient client;
    client.Host = "127.0.0.1";
    client.Port = ngircd.port();
    client.ReadTimeout = 5000;
    client.Connect(3000);
    client.WriteLine("NICK pelldirect");
    client.WriteLine("USER pell 0 * :Pell Test");
    bool welcomed = false;
    while (!welcomed)
        welcomed = client.ReadLine().find(" 001 pelldirect ") != std::string::npos;
    EXPECT_TRUE(welcomed) << ngircd.log();
}

} // namespace
} // namespace pell::direct
