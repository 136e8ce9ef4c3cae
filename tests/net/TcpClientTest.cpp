#include "net/Resolver.h"
#include "net/SocksHandshake.h"
#include "net/TcpClient.h"
#include "net/TransportError.h"
#include "support/CaseFile.h"
#include "support/Danted.h"
#include "support/Loopback.h"
#include "support/Microsocks.h"
#include "support/Ngircd.h"
#include "support/ScriptedProxy.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <thread>

namespace pell::net {
namespace {

// Points the client at a target, through a proxy when the info names one.
void aim(TcpClient& client, const std::string& host, int port, const SocksSettings& info = {})
{
    client.Host = host;
    client.Port = port;
    client.SocksInfo = info;
}

// The error text of a connect, or "" when it stands.
std::string connectError(TcpClient& client, int timeoutMs = 3000)
{
    try {
        client.Connect(timeoutMs);
        return "";
    } catch (const TransportError& error) {
        EXPECT_FALSE(client.Connected());
        return error.what();
    }
}

using test::ScriptedProxy;
using Steps = std::vector<ScriptedProxy::Step>;

SocksSettings socks(SocksVersion version, const std::string& user = {}, const std::string& password = {},
                   bool login = false, int port = 1080)
{
    return {login ? SocksAuthentication::UsernamePassword : SocksAuthentication::None, "127.0.0.1", password, port, user, version};
}

const std::map<std::string, SocksVersion> kVersions = {{"none", SocksVersion::None}, {"4", SocksVersion::Socks4}, {"4A", SocksVersion::Socks4A}, {"5", SocksVersion::Socks5}};

TEST(TcpClient, RefusedOrNeverAcceptedConnectsFail)
{
    TcpClient client;
    aim(client, "127.0.0.1", test::freePort());
    EXPECT_EQ(connectError(client), "Socket-Fehler # 111\r\nConnection refused");

    // Not a speed check: the time-out must not fire before its time, and the caller
    // is kept responsive meanwhile.
    test::StalledListener stalled;
    client.Port = stalled.port();
    int waits = 0;
    client.OnWaiting = [&] { ++waits; };
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(connectError(client), "Zeitüberschreitung der Verbindung.");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2900));
    EXPECT_GT(waits, 10);
}

// A name with several addresses: each is tried in turn, one that never answers gets
// only its share of the time-out, and a server on either family is reached.
TEST(TcpClient, TriesEachAddressInTurnWithinTheTimeOut)
{
    test::StalledListener stalled;
    test::Ngircd ngircd({.ipv6 = true});
    TcpClient client;
    client.Host = "irc.example";
    client.Resolve = [&](const std::string& host, int) {
        EXPECT_EQ(host, "irc.example");
        return std::vector{ResolveAll("127.0.0.1", stalled.port())[0], ResolveAll("127.0.0.1", test::freePort())[0],
                           ResolveAll("::1", ngircd.port())[0]};
    };
    EXPECT_EQ(connectError(client), "");
    EXPECT_EQ(PeerOf(client.socketHandle()), "[::1]:" + std::to_string(ngircd.port()));
    client.Resolve = [&](const std::string&, int) { return std::vector{ResolveAll("127.0.0.1", stalled.port())[0]}; };
    EXPECT_EQ(connectError(client, 300), "Zeitüberschreitung der Verbindung.");
}

// Every route to a real ngircd: direct and through real proxies on 127.0.0.1. The proof
// of a working handshake is the server's welcome; failures give the proxy's answer.
TEST(TcpClient, RoutesThroughRealProxiesToARealServer)
{
    const test::TestCertificates& certs = test::TrustedTestCertificates();
    const auto kind = test::TestCertificates::Server;
    test::Ngircd ngircd({.certFile = certs.cert(kind), .keyFile = certs.key(kind), .dhFile = certs.dhFile(), .ipv6 = true});
    test::Microsocks open;
    test::Microsocks login("pelluser", "secret");
    test::Danted danted;
    const std::map<std::string, int> proxies = {
        {"none", 0}, {"open", open.port()}, {"login", login.port()}, {"danted", danted.port()}};
    int number = 0;
    for (const test::Case& route : test::readCases("net/routes.cases")) {
        SCOPED_TRACE(route.name);
        const std::string nick = "via" + std::to_string(++number); // the last one may still hold its nick
        std::string user = route.one("user"), password;
        std::istringstream(route.one("login")) >> user >> password;
        TcpClient client;
        client.ReadTimeout = 5000;
        const int port = route.has("tls") ? ngircd.tlsPort() : ngircd.port();
        aim(client, route.one("target"), port, socks(kVersions.at(route.one("socks")), user, password, route.has("login"), proxies.at(route.one("via"))));
        client.Tls.Enabled = route.has("tls");
        int connected = 0, disconnected = 0;
        client.OnConnected = [&] { ++connected; };
        client.OnDisconnected = [&] { ++disconnected; };
        const std::string error = connectError(client);
        if (error.empty()) {
            client.WriteLine("NICK " + nick);
            client.WriteLine("USER pell 0 * :Pell Test");
            while (client.ReadLine().find(" 001 " + nick + " ") == std::string::npos) {
            }
        }
        EXPECT_EQ(error, route.one("error")) << ngircd.log();
        client.Disconnect();
        EXPECT_EQ(connected, error.empty() ? 1 : 0);
        EXPECT_GE(disconnected, 1);
    }
    // A closed target port: the proxy's own refusal.
    TcpClient client;
    aim(client, "127.0.0.1", test::freePort(), socks(SocksVersion::Socks5, "", "", false, open.port()));
    EXPECT_EQ(connectError(client), "Verbindung abgelehnt.");
}

const std::string kNoAnswer = "Socks-Server hat nicht geantwortet.";
const std::string kWelcome = ":irc.test 001 bob :Welcome";

// Request bytes and field limits from the data file (its head describes the rows).
TEST(SocksRequest, BytesAndFieldLimits)
{
    auto refused = [](const std::function<void()>& build) {
        try {
            build();
        } catch (const TransportError& error) {
            EXPECT_EQ(error.kind(), TransportError::Kind::Socks);
            EXPECT_NE(std::string(error.what()).find("länger als 255 Bytes"), std::string::npos) << error.what();
            return true;
        }
        return false;
    };
    for (const test::Case& c : test::readCases("net/socks.cases")) {
        const SocksVersion version = kVersions.at(c.one("socks", "5"));
        if (c.has("wire")) {
            EXPECT_EQ(version == SocksVersion::Socks5 ? Socks5Request(c.one("host"), std::stoi(c.one("port")))
                                          : Socks4Request(socks(version, c.one("user")), c.one("host"),
                                                          std::stoul(c.one("address", "0")), std::stoi(c.one("port"))),
                      c.one("wire")) << c.name;
        }
        for (const std::string& row : c.lines("row")) {
            std::istringstream in(row);
            std::string function, v, login, arrow, result;
            std::size_t user = 0, password = 0, host = 0;
            in >> function >> v >> user >> password >> login >> host >> arrow >> result;
            const SocksSettings info = socks(kVersions.at(v), std::string(user, 'a'), std::string(password, 'a'), login == "login");
            EXPECT_EQ(refused([&, v = info.Version] {
                if (function == "check")
                    CheckSocksFields(info, std::string(host, 'a'));
                else if (v == SocksVersion::Socks5)
                    Socks5Request(std::string(host, 'a'), 1);
                else
                    Socks4Request(info, std::string(host, 'a'), v == SocksVersion::Socks4A ? 0 : 1, 1);
            }), result == "refused") << row;
        }
    }
    const std::string wire = Socks5Request(std::string(255, 'h'), 80);
    EXPECT_EQ(wire.size(), 4u + 1 + 255 + 2);
    EXPECT_EQ(static_cast<unsigned char>(wire[4]), 255);

    const std::string tooLong(256, 'a');
    // And TcpClient checks them before the proxy hears anything.
    for (const auto& info : {socks(SocksVersion::Socks5, "bob", tooLong, true), socks(SocksVersion::Socks4, tooLong)}) {
        ScriptedProxy proxy({{3, std::string("\x05\x00", 2)}});
        TcpClient client;
        aim(client, "127.0.0.1", 6667, info);
        client.SocksInfo.Port = proxy.port();
        EXPECT_TRUE(refused([&] { client.Connect(3000); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // time for a connect to arrive
        EXPECT_FALSE(proxy.accepted());
    }
}

// Handshakes with a scripted proxy, from the data file (its head describes the rows):
// the bytes the client sends and what it makes of each answer.
TEST(SocksFakeProxy, Handshakes)
{
    for (const test::Case& c : test::readCases("net/handshakes.cases")) {
        SCOPED_TRACE(c.name);
        std::string user, password, sent;
        std::istringstream(c.one("login")) >> user >> password;
        Steps steps;
        const std::vector<std::string> sends = c.lines("send"), answers = c.lines("answer");
        for (std::size_t i = 0; i < sends.size(); ++i)
            if (sent += sends[i]; i < answers.size())
                steps.push_back({sends[i].size(), answers[i] + (i + 1 == answers.size() && !c.has("error") ? kWelcome + "\r\n" : "")});
        ScriptedProxy proxy(steps);
        const SocksSettings info = socks(kVersions.at(c.one("socks")), user, password, !user.empty(), proxy.port());
        TcpClient client;
        aim(client, info.Version == SocksVersion::Socks4 ? "127.0.0.1" : "chat", 6667, info);
        client.ReadTimeout = 3000; // a handshake that goes wrong must not wait for ever
        const std::string error = connectError(client);
        EXPECT_EQ(error.empty() ? client.ReadLine() : kWelcome, kWelcome);
        EXPECT_EQ(error, c.one("error"));
        client.Disconnect();
        EXPECT_EQ(proxy.receivedWhenDone(), sent);
    }
}

TEST(SocksFakeProxy, ASilentProxyEndsWithTheTimeOut)
{
    for (const auto& [version, error] : {std::pair{SocksVersion::Socks5, kNoAnswer}, {SocksVersion::Socks4, std::string("Zeitüberschreitung beim Lesen")}}) {
        ScriptedProxy proxy({}, ScriptedProxy::End::Hold);
        TcpClient client;
        aim(client, "127.0.0.1", 6667, socks(version, "", "", false, proxy.port()));
        EXPECT_EQ(connectError(client, 200), error);
    }
}

} // namespace
} // namespace pell::net
