#pragma once

#include "platform/Desktop.h"
#include "platform/UserPrompts.h"

#include <optional>
#include <string>

namespace pell::test {

// Desktop and user ports that answer nothing, for headless runs (benchmarks, fuzzing):
// the main window counts as in front (so nothing flashes), nothing opens, every
// question is cancelled.
struct QuietDesktop : platform::Desktop {
    bool isMainWindowInFront() const override { return true; }
    void flashWindow() override {}
    void openUrl(const std::string&) override {}
};

struct QuietPrompts : platform::UserPrompts {
    void showError(const std::string&) override {}
    std::optional<std::string> askText(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
};

struct NoSaveDialog : platform::SaveFileDialog {
    std::optional<std::string> askSaveFileName(const std::string&, const std::string&) override { return {}; }
};

} // namespace pell::test
