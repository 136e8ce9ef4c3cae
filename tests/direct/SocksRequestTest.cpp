#include "direct/SocksHandshake.h"
#include "direct/TransportError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pell::direct {
namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out += static_cast<char>(value);
    return out;
}

TIdSocksInfo proxy(TSocksVersion version, const std::string& user = {})
{
    TIdSocksInfo info;
    info.Version = version;
    info.Username = user;
    return info;
}

TEST(SocksRequest, Version4And4ABytes)
{
    struct Case {
        TIdSocksInfo socks;
        std::string host;
        std::uint32_t address;
        int port;
        std::string wire;
    };
    const Case cases[] = {
        {proxy(svSocks4), "10.0.0.5", 0x0A000005, 6667, bytes({0x04, 0x01, 0x1A, 0x0B, 0x0A, 0x00, 0x00, 0x05, 0x00})},
        {proxy(svSocks4A, "bob"), "chat", 0, 6667,
         bytes({0x04, 0x01, 0x1A, 0x0B, 0x00, 0x00, 0x00, 0x01, 0x62, 0x6F, 0x62, 0x00, 0x63, 0x68, 0x61, 0x74, 0x00})},
        // Version 4 sends the address it resolved, never the name.
        {proxy(svSocks4, "id"), "irc.example", 0x7F000001, 65535,
         bytes({0x04, 0x01, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x01, 'i', 'd', 0x00})},
        // 4A ignores any resolved address and sends the host text unchanged.
        {proxy(svSocks4A), "127.0.0.1", 0x7F000001, 1,
         bytes({0x04, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, '1', '2', '7', '.', '0', '.', '0', '.', '1', 0x00})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Socks4Request(c.socks, c.host, c.address, c.port), c.wire) << c.host;
}

TEST(SocksRequest, Version5AlwaysSendsTheHostAsAName)
{
    EXPECT_EQ(Socks5Request("chat", 6667), bytes({0x05, 0x01, 0x00, 0x03, 0x04, 'c', 'h', 'a', 't', 0x1A, 0x0B}));
    EXPECT_EQ(Socks5Request("127.0.0.1", 6667),
              bytes({0x05, 0x01, 0x00, 0x03, 0x09, '1', '2', '7', '.', '0', '.', '0', '.', '1', 0x1A, 0x0B}));
    const std::string longest(255, 'h');
    const std::string wire = Socks5Request(longest, 80);
    EXPECT_EQ(wire.size(), 4u + 1 + 255 + 2);
    EXPECT_EQ(static_cast<unsigned char>(wire[4]), 255);
}

TEST(SocksRequest, FieldsOver255BytesAreRefused)
{
    const std::string fits(255, 'a');
    const std::string tooLong(256, 'a');
    auto refused = [](const std::function<void()>& build) {
        try {
            build();
        } catch (const TransportError& error) {
            EXPECT_EQ(error.kind(), TransportError::Kind::Socks);
            EXPECT_NE(std::string(error.what()).find("255"), std::string::npos) << error.what();
            return true;
        }
        return false;
    };
    EXPECT_FALSE(refused([&] { Socks4Request(proxy(svSocks4, fits), "h", 1, 1); }));
    EXPECT_TRUE(refused([&] { Socks4Request(proxy(svSocks4, tooLong), "h", 1, 1); }));
    EXPECT_TRUE(refused([&] { Socks4Request(proxy(svSocks4A), tooLong, 0, 1); }));
    EXPECT_FALSE(refused([&] { Socks4Request(proxy(svSocks4A), fits, 0, 1); }));
    // Version 4 never sends the name, so its length does not matter.
    EXPECT_FALSE(refused([&] { Socks4Request(proxy(svSocks4), tooLong, 1, 1); }));
    EXPECT_TRUE(refused([&] { Socks5Request(tooLong, 1); }));

    struct Case {
        TSocksVersion version;
        TSocksAuthentication authentication;
        std::string user, password, host;
        bool refused;
    };
    const Case cases[] = {
        {svSocks5, saUsernamePassword, fits, fits, fits, false},
        {svSocks5, saUsernamePassword, tooLong, "", "h", true},
        {svSocks5, saUsernamePassword, "u", tooLong, "h", true},
        {svSocks5, saNoAuthentication, tooLong, tooLong, "h", false}, // never sent
        {svSocks5, saNoAuthentication, "", "", tooLong, true},
        {svSocks4, saNoAuthentication, tooLong, "", "h", true},
        {svSocks4, saNoAuthentication, "", "", tooLong, false},
        {svSocks4A, saNoAuthentication, "", "", tooLong, true},
        {svNoSocks, saNoAuthentication, tooLong, tooLong, tooLong, false},
    };
    for (const Case& c : cases) {
        TIdSocksInfo socks;
        socks.Version = c.version;
        socks.Authentication = c.authentication;
        socks.Username = c.user;
        socks.Password = c.password;
        EXPECT_EQ(refused([&] { CheckSocksFields(socks, c.host); }), c.refused)
            << "version " << int(c.version) << " user " << c.user.size() << " password " << c.password.size()
            << " host " << c.host.size();
    }
}

} // namespace
} // namespace pell::direct
