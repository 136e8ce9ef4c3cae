#pragma once

#include <optional>
#include <string>

namespace pell::platform {

// What a window model asks of the desktop besides prompts: the Qt program answers with
// QApplication and QDesktopServices, tests with recording fakes.
class Desktop {
public:
    virtual ~Desktop() = default;

    virtual bool isMainWindowInFront() const = 0;
    // Flashes the model's window and the program's taskbar button once each.
    virtual void flashWindow() = 0;
    // Opens a web address in the user's browser; the outcome is not reported.
    virtual void openUrl(const std::string& url) = 0;
    // A desktop notification (UTF-8 title and plain text); nothing happens where the
    // desktop has no notification service.
    virtual void notify(const std::string& /*title*/, const std::string& /*body*/) {}
};

// The file-save dialog with one filter ("Text", "*.rtf"); nothing when cancelled.
class SaveFileDialog {
public:
    virtual ~SaveFileDialog() = default;
    virtual std::optional<std::string> askSaveFileName(const std::string& filterName,
                                                       const std::string& pattern) = 0;
};

} // namespace pell::platform
