#pragma once

#include "settings/AppSettings.h"
#include "settings/Identity.h"

namespace pell::app {

// The "Use standard settings" box and the identity sub-panel it governs, as the
// server list tab and quick connect both have them.
struct IdentityPanel {
    settings::Identity values;
    bool useStandard = true;

    // The sub-panel can be edited (and is painted in the normal face colour) only
    // while the box is clear.
    bool enabled() const { return !useStandard; }

    // The box's handler, run on every change of the box: setting it copies the
    // global identity into the sub-panel; clearing it keeps the values as they are.
    void UseStandardChanged(bool set, const settings::AppSettings& global);
};

} // namespace pell::app
