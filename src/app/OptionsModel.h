#pragma once

#include "platform/UserPrompts.h"
#include "settings/AppSettings.h"
#include "settings/AppSettingsFiles.h"
#include "app/IdentityPanel.h"
#include "settings/Identity.h"
#include "settings/ServerList.h"
#include "app/ServerViews.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pell::app {

// The editing panel of the server list tab.
struct ServerEditor {
    std::string Name;
    std::string Host;
    std::string Port = "6667"; // as typed, without the "+" of TLS
    bool Tls = false;          // stored as a "+" before the port
    bool AutoConnect = false;
    settings::ServerLogin Login; // kept in Logins.dat
    IdentityPanel identity;
};

enum class ExtensionList { Accept, Disable, Ignore };
enum class ColourSlot { Own, Others, System, Action, Mention };

// The options dialog without its widgets. AppSettings is edited in place, so every
// other window sees a change at once; the files are written on close (the settings)
// and on Save and Delete (the server list).
//
// The server list view of the dialog redraws itself after Create, ServerSave and
// ServerDelete; ServerViews::OnRebuilt is left to the main window's Server menu.
class OptionsModel {
public:
    // homeFolder stands in for the first folder offered in the download-path tab.
    OptionsModel(settings::AppSettings& settings, settings::ServerList& servers, ServerViews& views, settings::AppSettingsFiles files,
                 platform::UserPrompts& prompts, std::string homeFolder);

    settings::AppSettings& settings() { return settings_; }
    const settings::ServerList& servers() const { return servers_; }
    const ServerViews& views() const { return views_; }
    ServerEditor& server() { return server_; }

    // Editing fields of the download-path and downloads tabs.
    std::string FolderExtension = "*.mp3";
    std::string FolderPath;
    std::string& extensionField(ExtensionList list);
    std::vector<std::string>& patterns(ExtensionList list);
    std::int32_t& colour(ColourSlot slot);

    // Applies a language (0 English, 1 German) to the windows.
    std::function<void(settings::Language)> ApplyLanguage;

    // The creation step at start-up: load Folders.dat, Accept.dat, Disable.dat,
    // Ignore.dat and settings.ini, run the "Use standard settings" handler, rebuild the
    // server views, load Proxy.ini, then Extras.dat. An error is shown and ends the step there.
    void Create();

    // The server tab's "Use standard settings" box changed.
    void UseStandardSettingsChanged(bool set);
    // A click on the server list view with exactly one row selected, named `name`:
    // the first entry of that name fills the editing panel.
    void ServerListClick(const std::string& name);
    // Store the panel as an entry (replacing the first of its name, else appended),
    // write SList.dat and rebuild the views.
    void ServerSave();
    // Remove every entry named like the "Name:" field, write SList.dat, rebuild.
    void ServerDelete();

    // Append the "Extension:" and "Folder:" fields as a folder rule.
    void FolderRuleSave();

    // Append the column's field to its list unless the list holds it in any letter case.
    void ExtensionSave(ExtensionList list);
    // The list's context-menu "Delete" with `row` selected (-1 when none is).
    void ExtensionDelete(ExtensionList list, int row);

    // The language choice: 0 English, anything else German.
    void LanguageClick(int index);

    // The dialog is closed, by its button or its frame: write the settings files.
    // Returns false when a file could not be written (the error has been shown).
    bool Close();

private:
    void writeServerList();

    settings::AppSettings& settings_;
    settings::ServerList& servers_;
    ServerViews& views_;
    settings::AppSettingsFiles files_;
    platform::UserPrompts& prompts_;
    ServerEditor server_;
    std::string acceptField_ = "*.mp3";
    std::string disableField_ = "*.exe";
    std::string ignoreField_ = "*.bat";
};

} // namespace pell::app
