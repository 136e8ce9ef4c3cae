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

// The language of the user interface; Color.dat stores 0 for English and anything else
// for German.
enum class Language : std::uint8_t { English, German };

// The proxy the IRC connection goes through; NotChosen (never picked) connects directly.
enum class ProxyType : std::int8_t { NotChosen = -1, None, Socks4, Socks4A, Socks5 };

// What happens to an offered file that no accept rule takes. NotChosen (nothing picked
// yet, and the drop-down then shows "ask for download") asks, like Ask.
enum class DownloadMode : std::int8_t { NotChosen = -1, Ask, Download, IgnoreAll };

// The address DCC offers name: our end of the IRC connection (or the machine's first
// address that is not loopback), the one the IRC server sees us at (its answer to a
// USERHOST of the own nick), or the one the user typed.
enum class OfferAddress : std::uint8_t { Automatic, AsServerSees, Typed };

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
    settings::Language Language = Language::English;

    // Proxy.ini
    std::string ProxyHost;
    std::string ProxyPort = "110"; // as typed
    std::string ProxyUser;
    std::string ProxyPassword;
    bool ProxyNeedsAuth = false;
    settings::ProxyType ProxyType = ProxyType::NotChosen;

    // Accept.dat, Disable.dat, Ignore.dat, Folders.dat
    std::vector<std::string> AcceptPatterns{"*.mp3", "*.wav", "*.avi", "*.zip", "*.rar", "*.jpg", "*.jpeg"};
    std::vector<std::string> DisablePatterns{"*.exe", "*.bat", "*.cmd", "*.js", "*.vsb", "*.shs", "*.pif", "*.scr"};
    std::vector<std::string> IgnorePatterns{"*.lnk"};
    std::vector<FolderRule> FolderRules{{"*.*", RootFolderWord}};

    // Extras.dat: the everyday options added later, kept out of the older files.
    bool HighlightMentions = true;       // lines naming the own nick stand out, tabs are marked
    bool NotifyMentions = true;          // and a desktop notification tells while in the background
    std::int32_t MentionColour = 21964;  // dark orange (204, 85, 0)
    std::string MentionWords;            // more words that count as a mention, blank- or comma-separated
    bool AutoReconnect = false;
    bool TimeStamps = false;
    bool WriteLogs = false;
    // and how DCC reaches past a home router: the address offers name, the ports to
    // listen on (forwarded on the router; none typed: any), and passive offers of files
    // (the receiver listens, we connect out).
    settings::OfferAddress OfferAddress = OfferAddress::Automatic;
    std::string TypedOfferAddress;
    std::string FirstDccPort; // as typed
    std::string LastDccPort;
    bool OfferFilesPassively = false;

    // Not persisted.
    settings::DownloadMode DownloadMode = DownloadMode::NotChosen;

    bool operator==(const AppSettings&) const = default;
};

} // namespace pell::settings
