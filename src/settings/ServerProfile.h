#pragma once

#include "settings/Identity.h"

#include <cstdint>
#include <string>

namespace pell::settings {

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

    bool operator==(const ServerProfile&) const = default;
};

} // namespace pell::settings
