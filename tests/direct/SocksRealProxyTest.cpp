#include "direct/SocksHandshake.h"
#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "support/Danted.h"
#include "support/Microsocks.h"
#include "support/Ngircd.h"
#include "support/Socks4aProxy.h"

#include <gtest/gtest.h>

#include <string>

namespace pell::direct {
namespace {

// Real proxies on 127.0.0.1 in front of a real ngircd; the proof of a working
// handshake is the server's welcome reply.
class SocksRealProxyTest : public ::testing::Test {
protected:
    // Gives the error text, or "" once the server has welcomed us through the proxy.
    std::string registerThrough(TSocksVersion version, int proxyPort, const std::string& target,
                                const std::string& user = {}, const std::string& password = {},
                                bool login = false)
    {
        TcpClient client;
        client.Host = target;
        client.Port = ngircd.port();
        client.ReadTimeout = 5000;
        client.SocksInfo.Version = version;
        client.SocksInfo.Host = "127.0.0.1";
        client.SocksInfo.Port = proxyPort;
        client.SocksInfo.Username = user;
        client.SocksInfo.Password = password;
        client.SocksInfo.Authentication = login ? saUsernamePassword : saNoAuthentication;
        try {
            client.Connect(3000);
            client.WriteLine("NICK viaproxy");
            client.WriteLine("USER pell 0 * :Pell Test");
            for (;;) {
                if (client.ReadLine().find(" 001 viaproxy ") != std::string::npos)
                    return "";
            }
        } catch (const TransportError& error) {
            return error.what();
        }
    }

    test::Ngircd ngircd;
};

TEST_F(SocksRealProxyTest, MicrosocksWithoutLogin)
{
    test::Microsocks proxy;
    EXPECT_EQ(registerThrough(svSocks5, proxy.port(), "127.0.0.1"), "") << proxy.log();
    EXPECT_EQ(registerThrough(svSocks5, proxy.port(), "localhost"), "") << proxy.log();
}

TEST_F(SocksRealProxyTest, MicrosocksWithUserNameAndPassword)
{
    test::Microsocks proxy("pelluser", "secret");
    EXPECT_EQ(registerThrough(svSocks5, proxy.port(), "127.0.0.1", "pelluser", "secret", true), "")
        << proxy.log();
    EXPECT_EQ(registerThrough(svSocks5, proxy.port(), "127.0.0.1", "pelluser", "wrong", true),
              "Authentifizierungsfehler bei Socks-Server.");
    EXPECT_EQ(registerThrough(svSocks5, proxy.port(), "127.0.0.1"),
              "Ungültige Authentifizierungmethode für SOCKS.");
}

TEST_F(SocksRealProxyTest, MicrosocksReportsAClosedTargetPort)
{
    test::Microsocks proxy;
    TcpClient client;
    client.Host = "127.0.0.1";
    client.Port = test::freePort();
    client.SocksInfo.Version = svSocks5;
    client.SocksInfo.Host = "127.0.0.1";
    client.SocksInfo.Port = proxy.port();
    try {
        client.Connect(3000);
        FAIL() << "connected to a closed port through the proxy";
    } catch (const TransportError& error) {
        EXPECT_STREQ(error.what(), "Verbindung abgelehnt.");
    }
}

TEST_F(SocksRealProxyTest, DantedServesVersions4And5)
{
    test::Danted proxy;
    EXPECT_EQ(registerThrough(svSocks4, proxy.port(), "127.0.0.1"), "") << proxy.log();
    EXPECT_EQ(registerThrough(svSocks4, proxy.port(), "localhost", "someone"), "") << proxy.log();
    EXPECT_EQ(registerThrough(svSocks5, proxy.port(), "127.0.0.1"), "") << proxy.log();
    // This danted does not serve 4A and says so with reply 91.
    EXPECT_EQ(registerThrough(svSocks4A, proxy.port(), "localhost"),
              "Anforderung zurückgewiesen oder fehlgeschlagen.");
}

TEST_F(SocksRealProxyTest, Version4AThroughASmallProxy)
{
    test::Socks4aProxy proxy;
    TIdSocksInfo socks;
    socks.Version = svSocks4A;
    socks.Username = "bob";
    EXPECT_EQ(registerThrough(svSocks4A, proxy.port(), "localhost", "bob"), "");
    // The proxy resolved the name itself: it came as text behind 0.0.0.1.
    EXPECT_EQ(proxy.lastRequest(), Socks4Request(socks, "localhost", 0, ngircd.port()));
}

} // namespace
} // namespace pell::direct
