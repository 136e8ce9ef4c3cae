#pragma once

#include "settings/AppSettings.h"
#include "settings/LineText.h"
#include "settings/SettingsFolder.h"

namespace pell::settings {

// The line formats of the AppSettings files. The apply functions set the
// fields from a file's lines in line order; a line the file does not have leaves its
// field as it is, so a file cut short keeps the defaults of its missing lines.
// A number line that is not a decimal integer throws ConversionError, and the lines
// after it are not applied.

// settings.ini: Nick, RealName, Username, scrambled Password, four modes, flash;
// booleans "True" / "false".
void applySettingsIni(AppSettings& settings, const Lines& lines);
Lines settingsIniLines(const AppSettings& settings);

// Proxy.ini: host, port, scrambled user, scrambled password, needs-auth, type;
// booleans "true" / "false".
void applyProxyIni(AppSettings& settings, const Lines& lines);
Lines proxyIniLines(const AppSettings& settings);

// Color.dat: the four colours, ScriptDelay as typed, Language.
void applyColorDat(AppSettings& settings, const Lines& lines);
Lines colorDatLines(const AppSettings& settings);

// Folders.dat: pattern and folder per rule; loaded rules are appended after the rules
// already held (the default "*.*" rule), an unpaired last line is ignored.
void applyFoldersDat(AppSettings& settings, const Lines& lines);
Lines foldersDatLines(const AppSettings& settings);

// Extras.dat: highlight mentions, notify mentions, mention colour, mention words,
// reconnect automatically, time stamps, write logs, the address DCC offers name (0, 1
// or 2 as OfferAddress counts), the typed address, the first and the last DCC port as
// typed, passive file offers; booleans "True" / "false".
void applyExtrasDat(AppSettings& settings, const Lines& lines);
Lines extrasDatLines(const AppSettings& settings);

// The boolean words of the three files that have booleans.
inline constexpr const char* SettingsIniTrue = "True";
inline constexpr const char* SettingsIniFalse = "false";
inline constexpr const char* ProxyIniTrue = "true";
inline constexpr const char* ProxyIniFalse = "false";

// Loading and saving AppSettings files in a settings folder. Each load first tests
// that the file exists; a missing file leaves the settings untouched and returns false.
// Saves throw FileWriteError, loads of number lines ConversionError.
class AppSettingsFiles {
public:
    explicit AppSettingsFiles(SettingsFolder folder) : folder_(std::move(folder)) {}

    const SettingsFolder& folder() const { return folder_; }

    bool loadSettingsIni(AppSettings& settings) const;
    bool loadProxyIni(AppSettings& settings) const;
    bool loadColorDat(AppSettings& settings) const;
    bool loadFoldersDat(AppSettings& settings) const;
    // Accept.dat, Disable.dat and Ignore.dat replace their whole list when present.
    bool loadAcceptDat(AppSettings& settings) const;
    bool loadDisableDat(AppSettings& settings) const;
    bool loadIgnoreDat(AppSettings& settings) const;
    bool loadExtrasDat(AppSettings& settings) const;

    void saveSettingsIni(const AppSettings& settings) const;
    void saveProxyIni(const AppSettings& settings) const;
    void saveColorDat(const AppSettings& settings) const;
    void saveFoldersDat(const AppSettings& settings) const;
    void saveAcceptDat(const AppSettings& settings) const;
    void saveDisableDat(const AppSettings& settings) const;
    void saveIgnoreDat(const AppSettings& settings) const;
    void saveExtrasDat(const AppSettings& settings) const;

    // The options dialog's creation step loads, in this order: Folders.dat, Accept.dat,
    // Disable.dat, Ignore.dat, settings.ini (Proxy.ini comes later in that step, after
    // the server views are rebuilt).
    void loadOptionsFiles(AppSettings& settings) const;

    // The save sequence when the options dialog closes: remove every space from Nick;
    // Accept.dat, Disable.dat, Ignore.dat, Folders.dat, Color.dat, settings.ini,
    // Proxy.ini, then Extras.dat. The first file that cannot be written throws; later files are not
    // written, earlier ones stay written.
    void saveOnOptionsClose(AppSettings& settings) const;

private:
    bool loadPatterns(SettingsFile file, std::vector<std::string>& patterns) const;

    SettingsFolder folder_;
};

} // namespace pell::settings
