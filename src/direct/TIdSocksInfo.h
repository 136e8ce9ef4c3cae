#pragma once

#include <cstdint>
#include <string>

namespace pell::direct {

enum TSocksAuthentication : std::uint8_t {
    saNoAuthentication = 0,
    saUsernamePassword = 1,
};

enum TSocksVersion : std::uint8_t {
    svNoSocks = 0,
    svSocks4 = 1,
    svSocks4A = 2,
    svSocks5 = 3,
};

// The proxy an IRC server connection goes through; svNoSocks connects directly.
struct TIdSocksInfo {
    TSocksAuthentication Authentication = saNoAuthentication;
    std::string Host;
    std::string Password;
    std::int32_t Port = 1080;
    std::string Username;
    TSocksVersion Version = svNoSocks;
};

} // namespace pell::direct
