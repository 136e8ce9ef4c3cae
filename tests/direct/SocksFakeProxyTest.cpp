#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "support/ScriptedProxy.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace pell::direct {
namespace {

using test::ScriptedProxy;
using Steps = std::vector<ScriptedProxy::Step>;

const std::string kNoAnswer = "Socks-Server hat nicht geantwortet.";
const std::string kBadMethod = "Ungültige Authentifizierungmethode für SOCKS.";
const std::string kAuthFailed = "Authentifizierungsfehler bei Socks-Server.";
const std::string kUnknown = "Unbekannter SOCKS-Fehler.";
const std::string kFirstLine = ":irc.test 001 bob :Welcome\r\n";

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out += static_cast<char>(value);
    return out;
}

// Connects through the proxy to chat:6667 (127.0.0.1 for version 4, which resolves
// locally); gives the error text, or "" when the connection stands.
std::string connectThrough(TcpClient& client, int proxyPort, TSocksVersion version, bool login = false,
                           int timeoutMs = 3000)
{
    client.Host = version == svSocks4 ? "127.0.0.1" : "chat";
    client.Port = 6667;
    client.SocksInfo.Version = version;
    client.SocksInfo.Host = "127.0.0.1";
    client.SocksInfo.Port = proxyPort;
    if (login) {
        client.SocksInfo.Authentication = saUsernamePassword;
        client.SocksInfo.Username = "bob";
        client.SocksInfo.Password = "pwd";
    }
    try {
        client.Connect(timeoutMs);
        return "";
    } catch (const TransportError& error) {
        EXPECT_FALSE(client.Connected());
        return error.what();
    }
}

const std::string kGreeting = bytes({5, 1, 0});
const std::string kGreetingLogin = bytes({5, 1, 2});
const std::string kLogin = bytes({1, 3, 'b', 'o', 'b', 3, 'p', 'w', 'd'});
const std::string kRequest5 = bytes({5, 1, 0, 3, 4, 'c', 'h', 'a', 't', 0x1A, 0x0B});

std::string reply5(int code, int addressType = 1)
{
    return bytes({5, code, 0, addressType, 127, 0, 0, 1, 0x1A, 0x0B});
}

TEST(SocksFakeProxy, Version5FailuresCarryTheirMessages)
{
    struct Case {
        const char* what;
        Steps steps;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"method refused", {{3, bytes({5, 0xFF})}}, kBadMethod},
        {"password method chosen though not offered", {{3, bytes({5, 2})}}, kBadMethod},
        {"closed before choosing", {{3, ""}}, kNoAnswer},
        {"half a method reply", {{3, bytes({5})}}, kNoAnswer},
        {"reply 1", {{3, bytes({5, 0})}, {11, reply5(1)}}, "Allgemeiner SOCKS-Serverausfall."},
        {"reply 2", {{3, bytes({5, 0})}, {11, reply5(2)}}, "Die Verbindung wird von der Regelmenge nicht zugelassen."},
        {"reply 3", {{3, bytes({5, 0})}, {11, reply5(3)}}, "Das Netzwerk ist nicht erreichbar."},
        {"reply 4", {{3, bytes({5, 0})}, {11, reply5(4)}}, "Host nicht erreichbar."},
        {"reply 5", {{3, bytes({5, 0})}, {11, reply5(5)}}, "Verbindung abgelehnt."},
        {"reply 6", {{3, bytes({5, 0})}, {11, reply5(6)}}, "TTL abgelaufen."},
        {"reply 7", {{3, bytes({5, 0})}, {11, reply5(7)}}, "Anweisung nicht unterstützt"},
        {"reply 8", {{3, bytes({5, 0})}, {11, reply5(8)}}, "Der Adresstyp wird nicht unterstützt."},
        {"reply 9", {{3, bytes({5, 0})}, {11, reply5(9)}}, kUnknown},
        {"reply 255", {{3, bytes({5, 0})}, {11, reply5(255)}}, kUnknown},
        {"address type 2", {{3, bytes({5, 0})}, {11, reply5(0, 2) + kFirstLine}}, kUnknown},
        {"reply cut in its head", {{3, bytes({5, 0})}, {11, bytes({5, 0, 0})}}, kNoAnswer},
        {"IPv4 reply cut", {{3, bytes({5, 0})}, {11, bytes({5, 0, 0, 1, 127, 0})}}, kNoAnswer},
        {"name reply cut", {{3, bytes({5, 0})}, {11, bytes({5, 0, 0, 3, 11, 'i', 'r', 'c'})}}, kNoAnswer},
        {"IPv6 reply cut", {{3, bytes({5, 0})}, {11, bytes({5, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0})}}, kNoAnswer},
    };
    for (const Case& c : cases) {
        ScriptedProxy proxy(c.steps);
        TcpClient client;
        EXPECT_EQ(connectThrough(client, proxy.port(), svSocks5), c.message) << c.what;
        EXPECT_EQ(proxy.receivedWhenDone().substr(0, 3), kGreeting) << c.what;
    }
}

TEST(SocksFakeProxy, Version5ReplyIsReadCompletelyForEachAddressType)
{
    std::string name = bytes({5, 0, 0, 3, 11});
    name += "irc.example" + bytes({0x1A, 0x0B});
    std::string ipv6 = bytes({5, 0, 0, 4});
    ipv6 += std::string(16, '\x01') + bytes({0x1A, 0x0B});
    const std::pair<const char*, std::string> replies[] = {
        {"IPv4", reply5(0, 1)},
        {"domain name", name},
        {"IPv6", ipv6},
    };
    for (const auto& [what, reply] : replies) {
        ScriptedProxy proxy({{3, bytes({5, 0})}, {11, reply + kFirstLine}});
        TcpClient client;
        ASSERT_EQ(connectThrough(client, proxy.port(), svSocks5), "") << what;
        EXPECT_TRUE(client.Connected());
        EXPECT_EQ(client.ReadLine(), ":irc.test 001 bob :Welcome") << what;
        client.Disconnect();
        EXPECT_EQ(proxy.receivedWhenDone(), kGreeting + kRequest5) << what;
    }
}

TEST(SocksFakeProxy, Version5WithUserNameAndPassword)
{
    struct Case {
        const char* what;
        Steps steps;
        std::string message;
        std::string sent;
    };
    const std::vector<Case> cases = {
        {"accepted", {{3, bytes({5, 2})}, {9, bytes({1, 0})}, {11, reply5(0) + kFirstLine}}, "",
         kGreetingLogin + kLogin + kRequest5},
        {"wrong password", {{3, bytes({5, 2})}, {9, bytes({1, 1})}}, kAuthFailed, kGreetingLogin + kLogin},
        {"no authentication chosen", {{3, bytes({5, 0})}}, kBadMethod, kGreetingLogin},
        {"method refused", {{3, bytes({5, 0xFF})}}, kBadMethod, kGreetingLogin},
        {"closed before the status", {{3, bytes({5, 2})}, {9, ""}}, kNoAnswer, kGreetingLogin + kLogin},
    };
    for (const Case& c : cases) {
        ScriptedProxy proxy(c.steps);
        TcpClient client;
        EXPECT_EQ(connectThrough(client, proxy.port(), svSocks5, true), c.message) << c.what;
        if (c.message.empty()) {
            EXPECT_EQ(client.ReadLine(), ":irc.test 001 bob :Welcome");
        }
        client.Disconnect();
        EXPECT_EQ(proxy.receivedWhenDone(), c.sent) << c.what;
    }
}

TEST(SocksFakeProxy, Version4And4ARepliesDecideOnTheSecondByte)
{
    const std::string request4 = bytes({4, 1, 0x1A, 0x0B, 127, 0, 0, 1, 0});
    const std::string request4a = bytes({4, 1, 0x1A, 0x0B, 0, 0, 0, 1, 0, 'c', 'h', 'a', 't', 0});
    struct Case {
        int code;
        std::string message;
    };
    const Case cases[] = {
        {90, ""},
        {91, "Anforderung zurückgewiesen oder fehlgeschlagen."},
        {92, "Die Anforderung wurde zurückgewiesen, da der SOCKS-Server keine Verbindung herstellen konnte."},
        {93, "Die Anforderung wurde zurückgewiesen, da das Client-Programm und identd verschiedene "
             "Anwender-IDs melden."},
        {0, kUnknown},
        {94, kUnknown},
        {255, kUnknown},
    };
    for (const TSocksVersion version : {svSocks4, svSocks4A}) {
        const std::string& request = version == svSocks4 ? request4 : request4a;
        for (const Case& c : cases) {
            ScriptedProxy proxy({{request.size(), bytes({0, c.code, 0, 0, 0, 0, 0, 0}) + kFirstLine}});
            TcpClient client;
            EXPECT_EQ(connectThrough(client, proxy.port(), version), c.message) << "reply " << c.code;
            if (c.message.empty()) {
                EXPECT_EQ(client.ReadLine(), ":irc.test 001 bob :Welcome");
            }
            client.Disconnect();
            EXPECT_EQ(proxy.receivedWhenDone(), request) << "reply " << c.code;
        }
    }
}

TEST(SocksFakeProxy, SilentOrVanishingProxy)
{
    {
        ScriptedProxy proxy({}, ScriptedProxy::End::Hold);
        TcpClient client;
        EXPECT_EQ(connectThrough(client, proxy.port(), svSocks5, false, 200), kNoAnswer);
    }
    {
        ScriptedProxy proxy({}, ScriptedProxy::End::Hold);
        TcpClient client;
        EXPECT_EQ(connectThrough(client, proxy.port(), svSocks4, false, 200), "Zeitüberschreitung beim Lesen");
    }
    {
        ScriptedProxy proxy({{9, bytes({0, 90, 0})}});
        TcpClient client;
        EXPECT_EQ(connectThrough(client, proxy.port(), svSocks4), "Die Verbindung wurde erfolgreich geschlossen.");
    }
}

TEST(SocksFakeProxy, OversizedFieldsAreRefusedBeforeTheProxyHearsAnything)
{
    struct Case {
        TSocksVersion version;
        bool login;
        std::string user, password, host;
    };
    const std::string tooLong(256, 'x');
    const Case cases[] = {
        {svSocks5, true, tooLong, "pwd", "chat"},
        {svSocks5, true, "bob", tooLong, "chat"},
        {svSocks5, false, "", "", tooLong},
        {svSocks4A, false, tooLong, "", "chat"},
        {svSocks4A, false, "", "", tooLong},
        {svSocks4, false, tooLong, "", "127.0.0.1"},
    };
    for (const Case& c : cases) {
        ScriptedProxy proxy({{3, bytes({5, 0})}});
        TcpClient client;
        client.Host = c.host;
        client.Port = 6667;
        client.SocksInfo.Version = c.version;
        client.SocksInfo.Host = "127.0.0.1";
        client.SocksInfo.Port = proxy.port();
        client.SocksInfo.Authentication = c.login ? saUsernamePassword : saNoAuthentication;
        client.SocksInfo.Username = c.user;
        client.SocksInfo.Password = c.password;
        try {
            client.Connect(3000);
            ADD_FAILURE() << "connected with an oversized field";
        } catch (const TransportError& error) {
            EXPECT_EQ(error.kind(), TransportError::Kind::Socks);
            EXPECT_NE(std::string(error.what()).find("länger als 255 Bytes"), std::string::npos);
        }
        EXPECT_FALSE(client.Connected());
        // Give a connection, had there been one, time to reach the proxy's accept.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(proxy.accepted());
    }
}

} // namespace
} // namespace pell::direct
