#pragma once

#include <string>

namespace pell::settings {

struct AppSettings;
struct ServerProfile;

// Who the user is on a server. Held once: the global settings and every connection
// profile carry it as their base, under the same field names.
struct Identity {
    std::string Nick;
    std::string RealName;
    std::string Username;
    std::string Password; // plain in memory
    bool Invisible = false;
    bool Operator = false;
    bool ServerNotice = false;
    bool Wallops = false;

    bool operator==(const Identity&) const = default;
};

// Copies the identity into a connection profile; where to connect stays as it is.
void applyIdentity(const Identity& identity, ServerProfile& profile);

// The global identity of the User tab, and storing one there.
Identity identityOf(const AppSettings& settings);
void setIdentity(AppSettings& settings, const Identity& identity);

} // namespace pell::settings
