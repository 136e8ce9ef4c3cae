#include "direct/SocksHandshake.h"
#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "support/CaseFile.h"
#include "support/Danted.h"
#include "support/Loopback.h"
#include "support/Microsocks.h"
#include "support/Ngircd.h"
#include "support/ScriptedProxy.h"
#include "support/Socks4aProxy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

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

using test::ScriptedProxy;
using Steps = std::vector<ScriptedProxy::Step>;

TIdSocksInfo socks(TSocksVersion version, const std::string& user = {}, const std::string& password = {},
                   bool login = false, int port = 1080)
{
    return {login ? saUsernamePassword : saNoAuthentication, "127.0.0.1", password, port, user, version};
}

const std::map<std::string, TSocksVersion> kVersions = {{"none", svNoSocks}, {"4", svSocks4}, {"4A", svSocks4A}, {"5", svSocks5}};

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
    const std::map<std::string, int> proxies = {
        {"none", 0}, {"open", open.port()}, {"login", login.port()}, {"danted", danted.port()}, {"small", small.port()}};
    int number = 0;
    for (const test::Case& route : test::readCases("direct/routes.cases")) {
        SCOPED_TRACE(route.name);
        const std::string nick = "via" + std::to_string(++number); // the last one may still hold its nick
        std::string user = route.one("user"), password;
        std::istringstream(route.one("login")) >> user >> password;
        TcpClient client;
        client.Host = route.one("target");
        client.Port = ngircd.port();
        client.ReadTimeout = 5000;
        client.SocksInfo = {route.has("login") ? saUsernamePassword : saNoAuthentication, "127.0.0.1", password,
                            proxies.at(route.one("via")), user, kVersions.at(route.one("socks"))};
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
        EXPECT_EQ(error, route.one("error")) << ngircd.log();
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
    for (const test::Case& c : test::readCases("direct/socks.cases")) {
        const TSocksVersion version = kVersions.at(c.one("socks", "5"));
        if (c.has("wire"))
            EXPECT_EQ(version == svSocks5 ? Socks5Request(c.one("host"), std::stoi(c.one("port")))
                                          : Socks4Request(socks(version, c.one("user")), c.one("host"),
                                                          std::stoul(c.one("address", "0")), std::stoi(c.one("port"))),
                      c.one("wire")) << c.name;
        for (const std::string& row : c.lines("row")) {
            std::istringstream in(row);
            std::string function, v, login, arrow, result;
            std::size_t user = 0, password = 0, host = 0;
            in >> function >> v >> user >> password >> login >> host >> arrow >> result;
            const TIdSocksInfo info = socks(kVersions.at(v), std::string(user, 'a'), std::string(password, 'a'), login == "login");
            EXPECT_EQ(refused([&, v = info.Version] {
                if (function == "check")
                    CheckSocksFields(info, std::string(host, 'a'));
                else if (v == svSocks5)
                    Socks5Request(std::string(host, 'a'), 1);
                else
                    Socks4Request(info, std::string(host, 'a'), v == svSocks4A ? 0 : 1, 1);
            }), result == "refused") << row;
        }
    }
    const std::string wire = Socks5Request(std::string(255, 'h'), 80);
    EXPECT_EQ(wire.size(), 4u + 1 + 255 + 2);
    EXPECT_EQ(static_cast<unsigned char>(wire[4]), 255);

    const std::string tooLong(256, 'a');
    // And TcpClient checks them before the proxy hears anything.
    for (const auto& info : {socks(svSocks5, "bob", tooLong, true), socks(svSocks4, tooLong)}) {
        ScriptedProxy proxy({{3, std::string("\x05\x00", 2)}});
        TcpClient client;
        client.Host = "127.0.0.1";
        client.SocksInfo = info;
        client.SocksInfo.Port = proxy.port();
        EXPECT_TRUE(refused([&] { client.Connect(3000); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // time for a connect to arrive
        EXPECT_FALSE(proxy.accepted());
    }
}

// Handshakes with a scripted proxy, from the transcript beside this file (its head
// describes the format): the bytes the client sends and what it makes of each answer.
TEST(SocksFakeProxy, Transcript)
{
    std::ifstream file(std::filesystem::path(PELL_TEST_DATA).parent_path() / "direct" / "socks.transcript");
    ASSERT_TRUE(file);
    struct Case {
        std::string title;
        TIdSocksInfo info;
        Steps steps;
        std::string unanswered, sent, error;
    };
    std::vector<Case> cases;
    for (std::string line; std::getline(file, line);) {
        std::string rest = line.size() > 2 ? line.substr(2) : "", hex, user, password;
        std::istringstream words(line.rfind("== ", 0) == 0 ? line.substr(line.find(':') + 1) : rest);
        if (line.rfind("== ", 0) == 0) {
            words >> hex >> user >> password;
            cases.push_back({line.substr(3), socks(hex == "5" ? svSocks5 : hex == "4" ? svSocks4 : svSocks4A, user, password, !user.empty())});
            continue;
        }
        for (int value; line[0] != '=' && words >> std::hex >> value;)
            hex += static_cast<char>(value);
        if (line[0] == '>')
            cases.back().unanswered += hex, cases.back().sent += hex;
        else if (line[0] == '<')
            cases.back().steps.push_back({cases.back().unanswered.size(), hex}), cases.back().unanswered.clear();
        else if (line[0] == '=')
            cases.back().error = rest;
    }
    ASSERT_GT(cases.size(), 30u);
    for (Case& c : cases) {
        SCOPED_TRACE(c.title);
        if (c.error.empty())
            c.steps.back().reply += kWelcome + "\r\n";
        ScriptedProxy proxy(c.steps);
        TcpClient client;
        client.Host = c.info.Version == svSocks4 ? "127.0.0.1" : "chat";
        client.Port = 6667;
        client.ReadTimeout = 3000; // a handshake that goes wrong must not wait for ever
        client.SocksInfo = c.info;
        client.SocksInfo.Port = proxy.port();
        std::string error;
        try {
            client.Connect(3000);
            EXPECT_EQ(client.ReadLine(), kWelcome);
        } catch (const TransportError& e) {
            error = e.what();
            EXPECT_FALSE(client.Connected());
        }
        EXPECT_EQ(error, c.error);
        client.Disconnect();
        EXPECT_EQ(proxy.receivedWhenDone(), c.sent);
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
