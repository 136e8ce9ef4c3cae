#pragma once

#include "session/AddressList.h"
#include "settings/TrustedCertificates.h"

#include <string>

namespace pell::session {

// What all session windows of a program run share; it outlives every window.
struct SessionShared {
    AddressList Addresses;
    // Asked from the user at the first close of a connected window, then reused.
    std::string QuitReason;
    // Server certificates the user chose to trust; in memory only unless the program
    // gives it its settings folder.
    settings::TrustedCertificates Certificates;
};

} // namespace pell::session
