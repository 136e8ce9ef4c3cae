#pragma once

#include "platform/UserPrompts.h"
#include "settings/AppSettings.h"
#include "app/IdentityPanel.h"
#include "settings/Identity.h"
#include "app/SessionLauncher.h"

#include <string>

namespace pell::app {

// Quick connect without its widgets: a one-off profile for a server that is not in
// the list. Nothing here is saved; the fields keep their values between openings.
class QuickConnectModel {
public:
    QuickConnectModel(const settings::AppSettings& settings, SessionLauncher& launcher, platform::UserPrompts& prompts)
        : settings_(settings), launcher_(launcher), prompts_(prompts)
    {
    }

    std::string Name;
    std::string Server;
    std::string Port = "6667"; // as typed; "+6697" asks for TLS as the box does
    bool Tls = false;
    settings::ServerLogin Login; // for this session only
    IdentityPanel identity;

    // Before the dialog is shown: clear and set "Use standard settings" again, so the
    // sub-panel holds a fresh copy of the global identity.
    void Open();
    // The "Use standard settings" box changed.
    void UseStandardSettingsChanged(bool set);
    // "Connect": the nickname loses its spaces; the dialog then closes.
    void ConnectClick();
    // The dialog has closed, whichever way: start a session from the fields. A port
    // that is not a decimal integer is shown as an error and starts nothing. The server
    // may be an IPv6 address, with or without brackets.
    void Closed();

private:
    const settings::AppSettings& settings_;
    SessionLauncher& launcher_;
    platform::UserPrompts& prompts_;
};

} // namespace pell::app
