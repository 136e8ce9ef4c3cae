// The engine over TLS to a real ngircd: bursts reach it whole and in order, QUIT goes
// out before an orderly disconnect, and a server that stops reading costs the write
// bound, not a hanging window.

#include "doubles/EventQueue.h"
#include "irc/Client.h"
#include "net/SocketLineTransport.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>

using namespace pell;

namespace {

struct Lines : irc::ClientEvents {
    std::vector<std::string> received;
    void OnReceive(const std::string& line) override { received.push_back(line); }
};

struct EngineOverTls : ::testing::Test {
    const test::TestCertificates& certs = test::TrustedTestCertificates();
    test::Ngircd server{{.certFile = certs.cert(test::TestCertificates::Server),
                         .keyFile = certs.key(test::TestCertificates::Server), .dhFile = certs.dhFile()}};
    test::EventQueue gui;
    Lines events;
    std::unique_ptr<irc::Client> irc = std::make_unique<irc::Client>(std::make_unique<net::SocketLineTransport>(gui), events);

    void SetUp() override
    {
        irc->Host = "localhost";
        irc->Port = server.tlsPort();
        irc->Tls.Enabled = true;
        irc->SetNick("secure");
        irc->Connect(3000);
        ASSERT_TRUE(gui.pumpUntil([&] { return irc->State() == irc::ClientState::Connected; })) << server.log();
    }
};

TEST_F(EngineOverTls, ABurstArrivesWholeAndInOrderAndQuitLeavesFirst)
{
    EXPECT_TRUE(irc->Encryption().starts_with("TLSv1.3, ")) << irc->Encryption();
    test::RawIrcClient peer(server.port(), "peer");
    ASSERT_TRUE(gui.pumpUntil([&] { return peer.saw(" 001 peer "); }));
    peer.send("JOIN #tls");
    irc->Join("#tls");
    for (int i = 0; i < 3000; ++i) {
        peer.send("PRIVMSG secure :line " + std::to_string(i) + ".");
        if (i % 200 == 0)
            gui.pump(); // keeps the server's queue for us short; the rest comes in bursts
    }
    ASSERT_TRUE(gui.pumpUntil([&] { return events.received.back().find(":line 2999.") != std::string::npos; })) << events.received.back();
    int next = 0;
    for (const std::string& line : events.received)
        if (line.find(" PRIVMSG secure :") != std::string::npos) {
            ASSERT_EQ(line.substr(line.find(" :line ")), " :line " + std::to_string(next++) + ".");
        }
    EXPECT_EQ(next, 3000);
    irc->Quit("going secure");
    irc->Disconnect(true);
    EXPECT_TRUE(gui.pumpUntil([&] { return peer.saw(" QUIT :\"going secure\""); })) << peer.received(); // ngircd quotes the reason
}

TEST_F(EngineOverTls, AServerThatStopsReadingCostsTheBound)
{
    server.pause(true);
    std::string error;
    try {
        for (int i = 0; i < 100000; ++i)
            irc->Raw("PRIVMSG #nowhere :" + std::string(400, 'x'));
    } catch (const net::TransportError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "Socket-Fehler # 105\r\nNo buffer space available");
    EXPECT_FALSE(irc->Connected());
    irc.reset(); // with a write stuck in the socket: must not wait for the server
    server.pause(false);
}

} // namespace
