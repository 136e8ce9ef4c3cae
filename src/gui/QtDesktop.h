#pragma once

#include "platform/Desktop.h"

#include <string>

class QWidget;

namespace pell::gui {

// The desktop as seen from one window: alerts go to that window, addresses to the
// user's browser, but only those the link rules allow.
class QtDesktop : public platform::Desktop {
public:
    explicit QtDesktop(QWidget* window = nullptr) : window_(window) {}

    void setWindow(QWidget* window) { window_ = window; }

    bool isMainWindowInFront() const override;
    void flashWindow() override;
    void openUrl(const std::string& url) override;
    // Through the freedesktop notification service on the session bus, when there is one.
    void notify(const std::string& title, const std::string& body) override;

    // Opens a local folder in the file manager; a failure shows nothing.
    static void openFolder(const std::string& folder);

private:
    QWidget* window_;
};

} // namespace pell::gui
