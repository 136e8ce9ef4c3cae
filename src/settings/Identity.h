#pragma once

#include "settings/AppSettings.h"
#include "settings/TSSettings.h"

#include <string>

namespace pell::settings {

// Who the user is on a server: the fields a profile carries besides where to connect.
struct Identity {
    std::string Nick;
    std::string RealName;
    std::string Username;
    std::string Password; // plain
    bool Invisible = false;
    bool Operator = false;
    bool ServerNotice = false;
    bool Wallops = false;

    bool operator==(const Identity&) const = default;
};

// Copies the identity into a connection profile; where to connect stays as it is.
void applyIdentity(const Identity& identity, TSSettings& profile);

// The global identity of the User tab, and storing one there.
Identity identityOf(const AppSettings& settings);
void setIdentity(AppSettings& settings, const Identity& identity);

// The "Use standard settings" box and the identity sub-panel it governs, as the
// server list tab and quick connect both have them.
struct IdentityPanel {
    Identity values;
    bool useStandard = true;

    // The sub-panel can be edited (and is painted in the normal face colour) only
    // while the box is clear.
    bool enabled() const { return !useStandard; }

    // The box's handler, run on every change of the box: setting it copies the
    // global identity into the sub-panel; clearing it keeps the values as they are.
    void UseStandardChanged(bool set, const AppSettings& global);
};

} // namespace pell::settings
