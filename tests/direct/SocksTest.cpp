#include "direct/SocksHandshake.h"
#include "direct/TcpClient.h"
#include "direct/TransportError.h"
#include "support/ScriptedProxy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
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
const std::string kWelcome = ":irc.test 001 bob :Welcome";


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

// Handshakes with a scripted proxy, from the transcript beside this file (its head
// describes the format): the bytes the client sends and what it makes of each answer.
TEST(SocksFakeProxy, Transcript)
{
    std::ifstream file(std::filesystem::path(PELL_TEST_DATA).parent_path() / "direct" / "socks.transcript");
    ASSERT_TRUE(file);
    auto hex = [](const std::string& text) {
        std::string out;
        std::istringstream in(text);
        for (int value; in >> std::hex >> value;)
            out += static_cast<char>(value);
        return out;
    };
    struct Case {
        std::string title;
        TIdSocksInfo info;
        Steps steps;
        std::string unanswered, sent, error;
    };
    std::vector<Case> cases;
    for (std::string line; std::getline(file, line);) {
        const std::string rest = line.size() > 2 ? line.substr(2) : "";
        if (line.rfind("== ", 0) == 0) {
            std::istringstream words(line.substr(line.find(':') + 1));
            std::string version, user, password;
            words >> version >> user >> password;
            const TSocksVersion v = version == "5" ? svSocks5 : version == "4" ? svSocks4 : svSocks4A;
            cases.push_back({line.substr(3), socks(v, user, password, !user.empty())});
        } else if (line[0] == '>') {
            cases.back().unanswered += hex(rest);
            cases.back().sent += hex(rest);
        } else if (line[0] == '<') {
            cases.back().steps.push_back({cases.back().unanswered.size(), hex(rest)});
            cases.back().unanswered.clear();
        } else if (line[0] == '=') {
            cases.back().error = rest;
        }
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
