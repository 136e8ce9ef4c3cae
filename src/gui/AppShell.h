#pragma once

#include "app/AppCore.h"
#include "gui/QtDesktop.h"
#include "gui/QtGuiDispatcher.h"
#include "gui/QtSaveFileDialog.h"
#include "gui/QtUserPrompts.h"
#include "session/UserInfoModel.h"
#include "app/SessionWindowFactory.h"

#include <QPointer>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace pell::gui {

class FolderChooser;
class HelpWindow;
class InfoForm;
class MainWindow;
class OptionsDialog;
class QuickConnectDialog;
class ScriptEditor;
class SessionController;
class SplashWindow;
class UserInfoWindow;

// The long-lived windows of the program and their creation at start-up, in the fixed
// order: main window, options (with the folder chooser), user info, quick connect, help, script editor, about
// box (which runs the start-up work), splash. Each is complete before the next begins.
class AppShell : private app::SessionWindowFactory {
public:
    // Session windows open inside the main window; arguments are those after the
    // program's name (an irc:// link among them is opened at start-up).
    explicit AppShell(std::string programFolder, std::vector<std::string> arguments = {});
    // Session windows come from the given factory instead (tests).
    AppShell(std::string programFolder, app::SessionWindowFactory& sessionWindows);
    ~AppShell();

    // Creates the windows, shows the splash for splashTime and then the main window.
    void start(std::chrono::milliseconds splashTime);

    app::AppCore& core() { return core_; }
    MainWindow* mainWindow() const { return mainWindow_.get(); }
    InfoForm* infoForm() const { return info_; }
    ScriptEditor* scriptEditor() const { return scriptEditor_; }
    HelpWindow* helpWindow() const { return help_; }
    // The session windows still open, oldest first.
    std::vector<SessionController*> sessions() const;

private:
    void createSessionWindow(const settings::ServerProfile& profile) override;
    void applyLanguage(app::Language language);
    void wireStartUpWork();

    QtUserPrompts prompts_;
    QtDesktop desktop_;
    QtGuiDispatcher gui_;
    QtSaveFileDialog saveDialog_;
    session::UserInfoModel userInfo_;
    app::AppCore core_;
    std::unique_ptr<MainWindow> mainWindow_;
    InfoForm* info_ = nullptr;         // owned by the main window
    FolderChooser* folderChooser_ = nullptr;     // owned by the main window
    OptionsDialog* options_ = nullptr;           // owned by the main window
    QuickConnectDialog* quickConnect_ = nullptr; // owned by the main window
    UserInfoWindow* userInfoWindow_ = nullptr;   // owned by the main window
    ScriptEditor* scriptEditor_ = nullptr;       // owned by the main window
    HelpWindow* help_ = nullptr;                 // owned by the main window
    std::vector<QPointer<SessionController>> sessions_;
    SplashWindow* splash_ = nullptr;   // lives only until the splash has been shown
};

} // namespace pell::gui
