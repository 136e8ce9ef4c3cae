#pragma once

#include "app/SessionWindowFactory.h"

#include <vector>

namespace pell::test {

// Records the pending profile each new session window would read at its creation.
struct RecordingWindows : app::SessionWindowFactory {
    void createSessionWindow(const settings::ServerProfile& pending) override { created.push_back(pending); }
    std::vector<settings::ServerProfile> created;
};

} // namespace pell::test
