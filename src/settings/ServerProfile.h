#pragma once

#include "settings/Identity.h"

#include <cstdint>
#include <string>

namespace pell::settings {

// How a server entry logs in to its account while it connects (SASL); kept in
// Logins.dat beside SList.dat, so SList.dat keeps its twelve lines per entry.
struct ServerLogin {
    std::string Mechanism;   // "PLAIN", "EXTERNAL", or empty for no login
    std::string Account;
    std::string Password;    // plain in memory, scrambled in the file
    std::string Certificate; // a PEM file with certificate and key, for EXTERNAL
    bool Required = false;   // without a login the connection ends

    bool operator==(const ServerLogin&) const = default;
};

// One connection profile: where to connect, and (from its base) with which identity.
// An empty profile has empty strings, Port 0 and every flag false.
struct ServerProfile : Identity {
    std::string Name;
    std::string Host;
    std::int32_t Port = 0;
    bool AutoConnect = false;
    // Connect with TLS. Stored as a "+" before the port ("+6697"), the way other
    // clients write it, so SList.dat keeps its twelve lines.
    bool Tls = false;
    ServerLogin Login;

    bool operator==(const ServerProfile&) const = default;
};

} // namespace pell::settings
