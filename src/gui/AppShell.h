#pragma once

#include "app/AppCore.h"
#include "gui/QtDesktop.h"
#include "gui/QtUserPrompts.h"
#include "settings/SessionWindowFactory.h"

#include <chrono>
#include <memory>
#include <string>

namespace pell::gui {

class FolderChooser;
class InfoForm;
class MainWindow;
class OptionsDialog;
class QuickConnectDialog;
class SplashWindow;

// The long-lived windows of the program and their creation at start-up, in the fixed
// order: main window, options, script editor, about box (which runs the start-up work),
// splash. Each is complete before the next begins.
class AppShell {
public:
    AppShell(std::string programFolder, settings::SessionWindowFactory& sessionWindows);
    ~AppShell();

    // Creates the windows, shows the splash for splashTime and then the main window.
    void start(std::chrono::milliseconds splashTime);

    app::AppCore& core() { return core_; }
    MainWindow* mainWindow() const { return mainWindow_.get(); }
    InfoForm* infoForm() const { return info_; }

private:
    QtUserPrompts prompts_;
    QtDesktop desktop_;
    app::AppCore core_;
    std::unique_ptr<MainWindow> mainWindow_;
    InfoForm* info_ = nullptr;         // owned by the main window
    FolderChooser* folderChooser_ = nullptr;     // owned by the main window
    OptionsDialog* options_ = nullptr;           // owned by the main window
    QuickConnectDialog* quickConnect_ = nullptr; // owned by the main window
    SplashWindow* splash_ = nullptr;   // lives only until the splash has been shown
};

} // namespace pell::gui
