#pragma once

#include "settings/ServerProfile.h"

namespace pell::app {

// The desktop's part of StartSession: creates a session window at once, on the calling
// (GUI) thread. The new window reads the pending profile in its creation step; the
// reference is PendingProfile itself and stays valid only during the call.
class SessionWindowFactory {
public:
    virtual ~SessionWindowFactory() = default;
    virtual void createSessionWindow(const settings::ServerProfile& pendingProfile) = 0;
};

} // namespace pell::app
