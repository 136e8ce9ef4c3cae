#pragma once

#include "platform/Desktop.h"

#include <string>
#include <vector>

namespace pell::test {

// Records what a window asks the desktop to open.
class RecordingDesktop : public platform::Desktop {
public:
    bool isMainWindowInFront() const override { return true; }
    void flashWindow() override {}
    void openUrl(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

} // namespace pell::test
