#include "direct/SocksHandshake.h"
#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "support/ScriptedProxy.h"

#include <gtest/gtest.h>

#include <thread>

namespace pell::direct {
namespace {

using test::ScriptedProxy;
using Steps = std::vector<ScriptedProxy::Step>;

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out += static_cast<char>(value);
    return out;
}

TIdSocksInfo socks(TSocksVersion version, const std::string& user = {}, const std::string& password = {},
                   bool login = false, int port = 1080)
{
    return {login ? saUsernamePassword : saNoAuthentication, "127.0.0.1", password, port, user, version};
}

const std::string kNoAnswer = "Socks-Server hat nicht geantwortet.";
const std::string kBadMethod = "Ungültige Authentifizierungmethode für SOCKS.";
const std::string kUnknown = "Unbekannter SOCKS-Fehler.";
const std::string kWelcome = ":irc.test 001 bob :Welcome";
const std::string kGreeting = bytes({5, 1, 0});
const std::string kGreetingLogin = bytes({5, 1, 2});
const std::string kLogin = bytes({1, 3, 'b', 'o', 'b', 3, 'p', 'w', 'd'});
const std::string kRequest5 = bytes({5, 1, 0, 3, 4, 'c', 'h', 'a', 't', 0x1A, 0x0B});
const std::string kRequest4 = bytes({4, 1, 0x1A, 0x0B, 127, 0, 0, 1, 0});
const std::string kRequest4A = bytes({4, 1, 0x1A, 0x0B, 0, 0, 0, 1, 0, 'c', 'h', 'a', 't', 0});

std::string reply5(int code, int addressType = 1)
{
    return bytes({5, code, 0, addressType, 127, 0, 0, 1, 0x1A, 0x0B});
}

TEST(SocksRequest, BytesOfEachVersion)
{
    const std::tuple<TIdSocksInfo, std::string, std::uint32_t, int, std::string> rows[] = {
        {socks(svSocks4), "10.0.0.5", 0x0A000005, 6667, bytes({4, 1, 0x1A, 0x0B, 10, 0, 0, 5, 0})},
        {socks(svSocks4A, "bob"), "chat", 0, 6667, bytes({4, 1, 0x1A, 0x0B, 0, 0, 0, 1, 'b', 'o', 'b', 0, 'c', 'h', 'a', 't', 0})},
        // Version 4 sends the address it resolved, never the name.
        {socks(svSocks4, "id"), "irc.example", 0x7F000001, 65535, bytes({4, 1, 0xFF, 0xFF, 127, 0, 0, 1, 'i', 'd', 0})},
        // 4A ignores any resolved address and sends the host text unchanged.
        {socks(svSocks4A), "127.0.0.1", 0x7F000001, 1,
         bytes({4, 1, 0, 1, 0, 0, 0, 1, 0, '1', '2', '7', '.', '0', '.', '0', '.', '1', 0})},
    };
    for (const auto& [info, host, address, port, wire] : rows)
        EXPECT_EQ(Socks4Request(info, host, address, port), wire) << host;
    // Version 5 always sends the host as a name.
    EXPECT_EQ(Socks5Request("127.0.0.1", 6667), bytes({5, 1, 0, 3, 9, '1', '2', '7', '.', '0', '.', '0', '.', '1', 0x1A, 0x0B}));
    const std::string wire = Socks5Request(std::string(255, 'h'), 80);
    EXPECT_EQ(wire.size(), 4u + 1 + 255 + 2);
    EXPECT_EQ(static_cast<unsigned char>(wire[4]), 255);
}

// Fields over 255 bytes are refused before anything is sent; fields a version never
// sends do not count.
TEST(SocksRequest, FieldsOver255BytesAreRefused)
{
    const std::string fits(255, 'a');
    const std::string tooLong(256, 'a');
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
    EXPECT_FALSE(refused([&] { Socks4Request(socks(svSocks4, fits), "h", 1, 1); }));
    EXPECT_TRUE(refused([&] { Socks4Request(socks(svSocks4, tooLong), "h", 1, 1); }));
    EXPECT_TRUE(refused([&] { Socks4Request(socks(svSocks4A), tooLong, 0, 1); }));
    EXPECT_FALSE(refused([&] { Socks4Request(socks(svSocks4), tooLong, 1, 1); }));
    EXPECT_TRUE(refused([&] { Socks5Request(tooLong, 1); }));
    const std::tuple<TIdSocksInfo, std::string, bool> rows[] = {
        {socks(svSocks5, fits, fits, true), fits, false},
        {socks(svSocks5, tooLong, "", true), "h", true},
        {socks(svSocks5, "u", tooLong, true), "h", true},
        {socks(svSocks5, tooLong, tooLong), "h", false},
        {socks(svSocks5), tooLong, true},
        {socks(svSocks4, tooLong), "h", true},
        {socks(svSocks4), tooLong, false},
        {socks(svSocks4A), tooLong, true},
        {socks(svNoSocks, tooLong, tooLong, true), tooLong, false},
    };
    for (const auto& [info, host, expected] : rows)
        EXPECT_EQ(refused([&] { CheckSocksFields(info, host); }), expected)
            << "version " << int(info.Version) << " user " << info.Username.size() << " password "
            << info.Password.size() << " host " << host.size();

    // And TcpClient checks them before the proxy hears anything.
    for (const auto& info : {socks(svSocks5, "bob", tooLong, true), socks(svSocks4, tooLong)}) {
        ScriptedProxy proxy({{3, bytes({5, 0})}});
        TcpClient client;
        client.Host = "127.0.0.1";
        client.SocksInfo = info;
        client.SocksInfo.Port = proxy.port();
        EXPECT_TRUE(refused([&] { client.Connect(3000); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // time for a connect to arrive
        EXPECT_FALSE(proxy.accepted());
    }
}

// A scripted proxy plays each answer to a connect to chat:6667 (127.0.0.1 for version 4,
// which resolves locally). The row gives the error text ("" when the connection stands,
// then the server's first line must come through) and every byte the proxy got.
TEST(SocksFakeProxy, RepliesDecideTheOutcome)
{
    struct Row {
        const char* what;
        TIdSocksInfo info;
        Steps steps;
        std::string error, sent;
    };
    const TIdSocksInfo v5 = socks(svSocks5), v5login = socks(svSocks5, "bob", "pwd", true);
    const TIdSocksInfo v4 = socks(svSocks4), v4a = socks(svSocks4A);
    const Steps ok = {{3, bytes({5, 0})}};
    auto code5 = [&](int code, const std::string& error) {
        return Row{"reply", v5, {ok[0], {11, reply5(code)}}, error, kGreeting + kRequest5};
    };
    std::string name = bytes({5, 0, 0, 3, 11}) + "irc.example" + bytes({0x1A, 0x0B});
    std::string ipv6 = bytes({5, 0, 0, 4}) + std::string(16, '\x01') + bytes({0x1A, 0x0B});
    std::vector<Row> rows = {
        {"IPv4 reply", v5, {ok[0], {11, reply5(0) + kWelcome + "\r\n"}}, "", kGreeting + kRequest5},
        {"name reply", v5, {ok[0], {11, name + kWelcome + "\r\n"}}, "", kGreeting + kRequest5},
        {"IPv6 reply", v5, {ok[0], {11, ipv6 + kWelcome + "\r\n"}}, "", kGreeting + kRequest5},
        {"method refused", v5, {{3, bytes({5, 0xFF})}}, kBadMethod, kGreeting},
        {"password chosen though not offered", v5, {{3, bytes({5, 2})}}, kBadMethod, kGreeting},
        {"closed before choosing", v5, {{3, ""}}, kNoAnswer, kGreeting},
        {"half a method reply", v5, {{3, bytes({5})}}, kNoAnswer, kGreeting},
        code5(1, "Allgemeiner SOCKS-Serverausfall."),
        code5(2, "Die Verbindung wird von der Regelmenge nicht zugelassen."),
        code5(3, "Das Netzwerk ist nicht erreichbar."), code5(4, "Host nicht erreichbar."),
        code5(5, "Verbindung abgelehnt."), code5(6, "TTL abgelaufen."), code5(7, "Anweisung nicht unterstützt"),
        code5(8, "Der Adresstyp wird nicht unterstützt."), code5(9, kUnknown), code5(255, kUnknown),
        {"address type 2", v5, {ok[0], {11, reply5(0, 2) + kWelcome}}, kUnknown, kGreeting + kRequest5},
        {"head cut", v5, {ok[0], {11, bytes({5, 0, 0})}}, kNoAnswer, kGreeting + kRequest5},
        {"IPv4 cut", v5, {ok[0], {11, bytes({5, 0, 0, 1, 127, 0})}}, kNoAnswer, kGreeting + kRequest5},
        {"name cut", v5, {ok[0], {11, bytes({5, 0, 0, 3, 11, 'i', 'r', 'c'})}}, kNoAnswer, kGreeting + kRequest5},
        {"IPv6 cut", v5, {ok[0], {11, bytes({5, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0})}}, kNoAnswer, kGreeting + kRequest5},
        {"login accepted", v5login, {{3, bytes({5, 2})}, {9, bytes({1, 0})}, {11, reply5(0) + kWelcome + "\r\n"}}, "",
         kGreetingLogin + kLogin + kRequest5},
        {"wrong password", v5login, {{3, bytes({5, 2})}, {9, bytes({1, 1})}}, "Authentifizierungsfehler bei Socks-Server.",
         kGreetingLogin + kLogin},
        {"no authentication chosen", v5login, ok, kBadMethod, kGreetingLogin},
        {"login method refused", v5login, {{3, bytes({5, 0xFF})}}, kBadMethod, kGreetingLogin},
        {"closed before the status", v5login, {{3, bytes({5, 2})}, {9, ""}}, kNoAnswer, kGreetingLogin + kLogin},
        {"4 half a reply, then closed", v4, {{9, bytes({0, 90, 0})}}, "Die Verbindung wurde erfolgreich geschlossen.", kRequest4},
    };
    const std::pair<int, std::string> codes4[] = {
        {90, ""},
        {91, "Anforderung zurückgewiesen oder fehlgeschlagen."},
        {92, "Die Anforderung wurde zurückgewiesen, da der SOCKS-Server keine Verbindung herstellen konnte."},
        {93, "Die Anforderung wurde zurückgewiesen, da das Client-Programm und identd verschiedene Anwender-IDs melden."},
        {0, kUnknown}, {94, kUnknown}, {255, kUnknown}};
    for (const auto& [code, error] : codes4) {
        const std::string reply = bytes({0, code, 0, 0, 0, 0, 0, 0}) + kWelcome + "\r\n";
        rows.push_back({"4 reply", v4, {{kRequest4.size(), reply}}, error, kRequest4});
        rows.push_back({"4A reply", v4a, {{kRequest4A.size(), reply}}, error, kRequest4A});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.what) + " " + row.error);
        ScriptedProxy proxy(row.steps);
        TcpClient client;
        client.Host = row.info.Version == svSocks4 ? "127.0.0.1" : "chat";
        client.Port = 6667;
        client.SocksInfo = row.info;
        client.SocksInfo.Port = proxy.port();
        std::string error;
        try {
            client.Connect(3000);
            EXPECT_EQ(client.ReadLine(), kWelcome);
        } catch (const TransportError& e) {
            error = e.what();
            EXPECT_FALSE(client.Connected());
        }
        EXPECT_EQ(error, row.error);
        client.Disconnect();
        EXPECT_EQ(proxy.receivedWhenDone(), row.sent);
    }
}

TEST(SocksFakeProxy, ASilentProxyEndsWithTheTimeOut)
{
    for (const auto& [version, error] : {std::pair{svSocks5, kNoAnswer}, {svSocks4, std::string("Zeitüberschreitung beim Lesen")}}) {
        ScriptedProxy proxy({}, ScriptedProxy::End::Hold);
        TcpClient client;
        client.Host = "127.0.0.1";
        client.SocksInfo = socks(version, "", "", false, proxy.port());
        try {
            client.Connect(200);
            ADD_FAILURE() << "connected through a silent proxy";
        } catch (const TransportError& e) {
            EXPECT_EQ(e.what(), error);
        }
    }
}

} // namespace
} // namespace pell::direct
