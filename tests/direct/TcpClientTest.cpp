#include "direct/SocksHandshake.h"
#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "support/Danted.h"
#include "support/Loopback.h"
#include "support/Microsocks.h"
#include "support/Ngircd.h"
#include "support/Socks4aProxy.h"

#include <gtest/gtest.h>

namespace pell::direct {
namespace {

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

TEST(TcpClient, RefusedOrNeverAcceptedConnectsFail)
{
    TcpClient client;
    client.Host = "127.0.0.1";
    client.Port = test::freePort();
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

// Every route to a real ngircd: direct and through real proxies on 127.0.0.1. The proof
// of a working handshake is the server's welcome; failures give the proxy's answer.
TEST(TcpClient, RoutesThroughRealProxiesToARealServer)
{
    test::Ngircd ngircd;
    test::Microsocks open;
    test::Microsocks login("pelluser", "secret");
    test::Danted danted;
    test::Socks4aProxy small;
    struct Route {
        TSocksVersion version;
        int proxyPort;
        std::string target, user, password;
        bool login;
        std::string error;
    };
    const Route routes[] = {
        {svNoSocks, 0, "localhost", "", "", false, ""},
        {svSocks5, open.port(), "127.0.0.1", "", "", false, ""},
        {svSocks5, open.port(), "localhost", "", "", false, ""},
        {svSocks5, login.port(), "127.0.0.1", "pelluser", "secret", true, ""},
        {svSocks5, login.port(), "127.0.0.1", "pelluser", "wrong", true, "Authentifizierungsfehler bei Socks-Server."},
        {svSocks5, login.port(), "127.0.0.1", "", "", false, "Ungültige Authentifizierungmethode für SOCKS."},
        {svSocks4, danted.port(), "127.0.0.1", "", "", false, ""},
        {svSocks4, danted.port(), "localhost", "someone", "", false, ""},
        {svSocks5, danted.port(), "127.0.0.1", "", "", false, ""},
        // This danted does not serve 4A and says so with reply 91.
        {svSocks4A, danted.port(), "localhost", "", "", false, "Anforderung zurückgewiesen oder fehlgeschlagen."},
        {svSocks4A, small.port(), "localhost", "bob", "", false, ""},
    };
    int number = 0;
    for (const Route& route : routes) {
        SCOPED_TRACE(route.target + " through " + std::to_string(route.proxyPort) + " as " + route.user);
        const std::string nick = "via" + std::to_string(++number); // the last one may still hold its nick
        TcpClient client;
        client.Host = route.target;
        client.Port = ngircd.port();
        client.ReadTimeout = 5000;
        client.SocksInfo = {route.login ? saUsernamePassword : saNoAuthentication, "127.0.0.1", route.password,
                            route.proxyPort, route.user, route.version};
        int connected = 0, disconnected = 0;
        client.OnConnected = [&] { ++connected; };
        client.OnDisconnected = [&] { ++disconnected; };
        std::string error = connectError(client);
        if (error.empty()) {
            client.WriteLine("NICK " + nick);
            client.WriteLine("USER pell 0 * :Pell Test");
            while (client.ReadLine().find(" 001 " + nick + " ") == std::string::npos) {
            }
        }
        EXPECT_EQ(error, route.error) << ngircd.log();
        client.Disconnect();
        EXPECT_EQ(connected, error.empty() ? 1 : 0);
        EXPECT_GE(disconnected, 1);
    }
    // The small proxy got the name as text behind 0.0.0.1 and resolved it itself.
    TIdSocksInfo socks;
    socks.Version = svSocks4A;
    socks.Username = "bob";
    EXPECT_EQ(small.lastRequest(), Socks4Request(socks, "localhost", 0, ngircd.port()));

    // A closed target port: the proxy's own refusal.
    TcpClient client;
    client.Host = "127.0.0.1";
    client.Port = test::freePort();
    client.SocksInfo.Version = svSocks5;
    client.SocksInfo.Host = "127.0.0.1";
    client.SocksInfo.Port = open.port();
    EXPECT_EQ(connectError(client), "Verbindung abgelehnt.");
}

} // namespace
} // namespace pell::direct
