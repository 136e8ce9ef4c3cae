#pragma once

#include "app/Captions.h"
#include "app/CommandLineLink.h"
#include "app/ScriptEditorModel.h"
#include "app/Uptime.h"
#include "platform/UserPrompts.h"
#include "session/SessionShared.h"
#include "settings/AppSettings.h"
#include "settings/AppSettingsFiles.h"
#include "app/OptionsModel.h"
#include "app/QuickConnectModel.h"
#include "settings/ServerList.h"
#include "app/ServerViews.h"
#include "app/SessionLauncher.h"
#include "settings/TemplateStore.h"

#include <functional>
#include <string>
#include <vector>

namespace pell::app {

// What the program holds for its whole run, and the start-up work of each long-lived
// window's creation step. The windows are thin views over it; main wires them together
// in the start-up order.
class AppCore {
public:
    // programFolder ends in "/"; windows creates the session windows StartSession asks for.
    AppCore(std::string programFolder, SessionWindowFactory& windows, platform::UserPrompts& prompts);

    // The main window's creation step: records the start time and fills the server list
    // from SList.dat when it exists.
    void createMainWindowData();
    // The options dialog's creation step: Folders.dat, Accept.dat, Disable.dat,
    // Ignore.dat and settings.ini, "Use standard settings", then the Server menu, then
    // Proxy.ini.
    void loadOptions();
    // The script editor's creation step: Template.dat and the editor's name list.
    void loadTemplates();
    // The about box's creation step, in this order: the shell associations, Color.dat
    // (colours, script delay, language), auto-connect, the link from the command line.
    // A failed registration is shown once, in the language just read, and the rest goes
    // on: the user's colours, language, auto-connect and link do not depend on it. Any
    // other error ends the step where it is raised.
    void runStartUpWork();

    // The arguments after the program's name; an irc:// link among them is opened at
    // the end of the start-up work.
    void setArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }

    // Parts of the start-up work that the windows provide; each may be left empty.
    std::function<void()> WriteShellAssociations;
    // Relabels the windows and refills the help; also what the options dialog's language
    // choice calls.
    std::function<void(Language)> ApplyLanguage;

    const std::string& programFolder() const { return files_.folder().folder(); }
    const settings::SettingsFolder& settingsFolder() const { return files_.folder(); }
    const settings::AppSettingsFiles& files() const { return files_; }
    settings::AppSettings& settings() { return settings_; }
    settings::ServerList& servers() { return servers_; }
    ServerViews& serverViews() { return serverViews_; }
    SessionLauncher& launcher() { return launcher_; }
    settings::TemplateStore& templates() { return templates_; }
    ScriptEditorModel& scriptEditor() { return scriptEditor_; }
    OptionsModel& options() { return options_; }
    QuickConnectModel& quickConnect() { return quickConnect_; }
    session::SessionShared& shared() { return shared_; }
    const Uptime& uptime() const { return uptime_; }

private:
    settings::AppSettingsFiles files_;
    settings::AppSettings settings_;
    settings::ServerList servers_;
    ServerViews serverViews_;
    SessionLauncher launcher_;
    settings::TemplateStore templates_;
    ScriptEditorModel scriptEditor_;
    OptionsModel options_;
    QuickConnectModel quickConnect_;
    session::SessionShared shared_;
    Uptime uptime_;
    std::vector<std::string> arguments_;
    CommandLineLink link_;
    platform::UserPrompts& prompts_;
};

} // namespace pell::app
