#pragma once

#include <cstdint>
#include <string>

namespace pell::settings {

// One connection profile (Part 4.2): where to connect and with which identity. An
// empty profile has empty strings, Port 0 and every flag false.
struct TSSettings {
    std::string Name;
    std::string Host;
    std::int32_t Port = 0;
    bool AutoConnect = false;
    std::string Nick;
    std::string RealName;
    std::string Username;
    std::string Password; // plain in memory
    bool Invisible = false;
    bool Operator = false;
    bool ServerNotice = false;
    bool Wallops = false;

    bool operator==(const TSSettings&) const = default;
};

} // namespace pell::settings
