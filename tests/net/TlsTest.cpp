// TLS on the server connection against a real ngircd with each kind of test certificate,
// and against scripted servers that misbehave during the handshake.

#include "net/TcpClient.h"
#include "net/TlsCertificate.h"
#include "support/FakeServer.h"
#include "support/Ngircd.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>

#include <future>

namespace pell::net {
namespace {

using Kind = test::TestCertificates::Kind;

std::string problemNames(const CertificateReport& report)
{
    static const char* const names[] = {"self-signed", "expired", "not yet valid", "unknown issuer", "wrong name", "other"};
    std::string text;
    for (const CertificateProblem problem : report.Problems)
        text += (text.empty() ? "" : ", ") + std::string(names[static_cast<int>(problem)]);
    return text;
}

// Connects with TLS; registers and returns "" when the server welcomes us, else the
// certificate's problems ("expired") or the error text.
std::string tlsConnect(TcpClient& client, const std::string& host, int port, const std::string& pin = {})
{
    client.Host = host;
    client.Port = port;
    client.Tls = TlsSettings{true, pin, {}};
    client.ReadTimeout = 5000;
    try {
        client.Connect(3000);
    } catch (const CertificateError& error) {
        return problemNames(error.Report());
    } catch (const TransportError& error) {
        return error.what();
    }
    client.WriteLine("NICK tls" + std::to_string(port));
    client.WriteLine("USER pell 0 * :Pell Test");
    while (client.ReadLine().find(" 001 ") == std::string::npos) {
    }
    return "";
}

struct CertificateRow {
    Kind kind;
    const char* host;
    const char* problems; // empty: it connects
    const char* subject;
    const char* issuer;
};

// Each certificate against the names it was made for; one that fails is described as
// the user will be shown it, and connects once its fingerprint is trusted.
TEST(Tls, EachCertificateConnectsOrStopsWithWhatIsWrongWithIt)
{
    const test::TestCertificates& certs = test::TrustedTestCertificates();
    const CertificateRow rows[] = {
        {Kind::Server, "localhost", "", "", ""},
        {Kind::Server, "127.0.0.1", "", "", ""},
        {Kind::Server, "[::1]", "", "", ""},
        {Kind::LargeChain, "localhost", "", "", ""},
        {Kind::WrongName, "localhost", "wrong name", "CN=wrong.example", "CN=Pell test CA"},
        {Kind::WrongName, "::1", "wrong name", "CN=wrong.example", "CN=Pell test CA"},
        {Kind::SelfSigned, "127.0.0.1", "self-signed", "CN=localhost", "CN=localhost"},
        {Kind::Expired, "localhost", "expired", "CN=localhost", "CN=Pell test CA"},
    };
    for (const CertificateRow& row : rows) {
        SCOPED_TRACE(std::string(row.host) + " " + std::to_string(row.kind));
        test::Ngircd server({.certFile = certs.cert(row.kind), .keyFile = certs.key(row.kind), .dhFile = certs.dhFile(), .ipv6 = true});
        TcpClient client;
        const std::string outcome = tlsConnect(client, row.host, server.tlsPort());
        EXPECT_EQ(outcome, row.problems) << server.log();
        if (outcome.empty()) {
            EXPECT_TRUE(client.TlsDescription().starts_with("TLSv1.3, TLS_")) << client.TlsDescription();
            // A read that times out keeps none of the room it made: the next line comes whole.
            while (client.ReadLine().find(" 376 ") == std::string::npos) {
            }
            EXPECT_THROW(client.WaitForData(true, 50), TransportError);
            client.WriteLine("PING :after");
            EXPECT_EQ(client.ReadLine(), ":irc.pell.test PONG irc.pell.test :after");
            continue;
        }
        try {
            client.Connect(3000);
            ADD_FAILURE() << "connected";
        } catch (const CertificateError& error) {
            const CertificateReport& report = error.Report();
            EXPECT_EQ(report.Subject, row.subject);
            EXPECT_EQ(report.Issuer, row.issuer);
            EXPECT_EQ(report.Sha256, test::FingerprintOf(certs.cert(row.kind)));
            EXPECT_FALSE(report.Changed);
            EXPECT_FALSE(client.Connected());
        }
        EXPECT_EQ(tlsConnect(client, row.host, server.tlsPort(), test::FingerprintOf(certs.cert(row.kind))), "");
        TcpClient other;
        EXPECT_EQ(tlsConnect(other, row.host, server.tlsPort(), test::FingerprintOf(certs.cert(Kind::Client))), row.problems);
    }
}

// What the scripted server does once the client's first handshake bytes are in, and
// what the connect then says. It never hangs and never connects.
TEST(Tls, ServersThatBreakTheHandshakeEndTheConnectWithAMessage)
{
    const std::pair<std::string, std::string> rows[] = {
        {"garbage", "TLS-Handshake fehlgeschlagen: wrong version number"},
        {"silence", "Zeitüberschreitung beim TLS-Handshake."},
        {"close", "Der Server hat die Verbindung während des TLS-Handshakes geschlossen."},
        {"reset", "Socket-Fehler # 104\r\nConnection reset by peer"},
    };
    for (const auto& [act, message] : rows) {
        test::FakeServer server;
        TcpClient client;
        client.Resolve = [&](const std::string&, int) { return ResolveAll("127.0.0.1", server.port()); };
        auto connect = std::async(std::launch::async, [&] { return tlsConnect(client, "irc.pell.example", 6697); });
        ASSERT_TRUE(server.waitForReceived(std::string("\x16\x03", 2))) << act;
        EXPECT_TRUE(server.waitForReceived("irc.pell.example")) << "the name goes out in the greeting (SNI)";
        if (act == "garbage")
            server.send(":irc.example NOTICE * :*** Looking up your hostname\r\n");
        else if (act != "silence")
            server.closeClient(act == "reset");
        EXPECT_EQ(connect.get(), message) << act;
        EXPECT_FALSE(client.Connected());
    }
}

} // namespace
} // namespace pell::net
