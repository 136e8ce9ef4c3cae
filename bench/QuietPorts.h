#pragma once

#include "platform/Desktop.h"
#include "platform/UserPrompts.h"

#include <optional>
#include <string>

namespace pell::bench {

// Desktop and user ports that answer nothing: benchmarks measure the models, not dialogs.
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

} // namespace pell::bench
