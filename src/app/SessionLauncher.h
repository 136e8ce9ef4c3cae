#pragma once

#include "platform/UserPrompts.h"
#include "settings/ServerList.h"
#include "app/SessionWindowFactory.h"
#include "settings/ServerProfile.h"

#include <string>

namespace pell::app {

// Opens sessions from profiles: owns PendingProfile, the one record a new
// session window reads while it is created. GUI thread only: StartSession writes
// PendingProfile and creates the window in one step.
class SessionLauncher {
public:
    SessionLauncher(const settings::ServerList& servers, SessionWindowFactory& windows, platform::UserPrompts& prompts)
        : servers_(servers), windows_(windows), prompts_(prompts) {}

    // The most recently started profile; never cleared.
    const settings::ServerProfile& PendingProfile() const { return pendingProfile_; }

    // Copies the profile into PendingProfile and has the new session window created at once.
    void StartSession(const settings::ServerProfile& profile);

    // The handler of every Server menu item: the entry's name, exactly as stored ("&"
    // included), is looked up from an empty profile, and a session is started with the
    // result, found or not. A conversion error of the port is shown and starts nothing.
    void ServerMenuClick(const std::string& name);

    // Auto-connect at start-up: for every entry in list order marked "True", look its
    // name up (starting from the profile the previous entry left) and start a session.
    // A conversion error ends the loop and is thrown to the start-up step.
    void AutoConnect();

private:
    const settings::ServerList& servers_;
    SessionWindowFactory& windows_;
    platform::UserPrompts& prompts_;
    settings::ServerProfile pendingProfile_;
};

} // namespace pell::app
