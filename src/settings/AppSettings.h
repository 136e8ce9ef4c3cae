#pragma once

#include "settings/Identity.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pell::settings {

// One download folder rule: files matching Pattern ("*.mp3", "*.*") go to Folder (an
// absolute folder, or RootFolderWord for "Downloads/" below the program folder).
struct FolderRule {
    std::string Pattern;
    std::string Folder;

    bool operator==(const FolderRule&) const = default;
};

inline constexpr const char* RootFolderWord = "Rootfolder";

// The program-wide options held for the whole run, with their defaults.
// Colours are red in the lowest byte, then green, then blue.
struct AppSettings : Identity {
    // settings.ini: the identity (the base), then
    bool FlashOnMessage = false;

    // Color.dat
    std::int32_t OwnColour = 16744576;  // light blue
    std::int32_t OthersColour = 0;      // black
    std::int32_t SystemColour = 32768;  // green 128
    std::int32_t ActionColour = 255;    // red 255
    std::string ScriptDelay = "2500";   // milliseconds, as typed
    std::int32_t Language = 0;          // 0 English, 1 German

    // Proxy.ini
    std::string ProxyHost;
    std::string ProxyPort = "110"; // as typed
    std::string ProxyUser;
    std::string ProxyPassword;
    bool ProxyNeedsAuth = false;
    std::int32_t ProxyType = -1; // -1 none chosen, 0 NoSocks, 1 Socks4, 2 Socks4A, 3 Socks5

    // Accept.dat, Disable.dat, Ignore.dat, Folders.dat
    std::vector<std::string> AcceptPatterns{"*.mp3", "*.wav", "*.avi", "*.zip", "*.rar", "*.jpg", "*.jpeg"};
    std::vector<std::string> DisablePatterns{"*.exe", "*.bat", "*.cmd", "*.js", "*.vsb", "*.shs", "*.pif", "*.scr"};
    std::vector<std::string> IgnorePatterns{"*.lnk"};
    std::vector<FolderRule> FolderRules{{"*.*", RootFolderWord}};

    // Not persisted: -1 nothing chosen yet, 0 ask for download, 1 download file,
    // 2 ignore every file.
    std::int32_t DownloadMode = -1;

    bool operator==(const AppSettings&) const = default;
};

} // namespace pell::settings
