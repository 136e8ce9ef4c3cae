#pragma once

#include <cstdint>
#include <string>

namespace pell::net {

enum class SocksAuthentication : std::uint8_t { None, UsernamePassword };

enum class SocksVersion : std::uint8_t { None, Socks4, Socks4A, Socks5 };

// The proxy an IRC server connection goes through; SocksVersion::None connects directly.
struct SocksSettings {
    SocksAuthentication Authentication = SocksAuthentication::None;
    std::string Host;
    std::string Password;
    std::int32_t Port = 1080;
    std::string Username;
    SocksVersion Version = SocksVersion::None;
};

} // namespace pell::net
