#pragma once

#include "settings/AppSettings.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pell::app {

// Where the desktop keeps the user's application entries and default handlers.
struct XdgFolders {
    std::string dataHome;   // $XDG_DATA_HOME, default ~/.local/share
    std::string configHome; // $XDG_CONFIG_HOME, default ~/.config
};

// Unset, empty or relative values fall back to the defaults under home.
XdgFolders xdgFolders(const std::optional<std::string>& dataHome, const std::optional<std::string>& configHome,
                      const std::string& home);
// xdgFolders of this process's environment.
XdgFolders xdgFolders();

inline constexpr std::string_view DesktopFileName = "pell-irc.desktop";

// The desktop entry that starts the program at programPath with "/m" and the link.
// Throws when the path cannot be written into an entry (it holds a line break).
std::string DesktopEntry(const std::string& programPath, const std::string& iconPath);

// mimeapps.list text with our entry as the default handler of irc:// and ircs:// links;
// every other line stays as it was.
std::string WithIrcHandler(std::string_view mimeapps);

// Why the registration stopped; Message gives the text for the user in either language.
class RegistrationError : public std::runtime_error {
public:
    enum class Problem { FolderNotMade, Unreadable, DanglingLink, ProgramPath, WriteFailed };
    RegistrationError(Problem problem, std::string path, std::string detail = {});
    std::string Message(settings::Language language) const;

private:
    Problem problem_;
    std::string path_;
    std::string detail_;
};

// Makes the program the desktop's handler of irc:// and ircs:// links: its icon, its desktop entry
// and the default in mimeapps.list, each file written whole or not at all. Desktop
// databases are refreshed where the tools exist. Throws a RegistrationError on the
// first failure. A file that is there but cannot be read, and a link to a missing
// file, are never written over: what they hold (other default applications) would be
// lost. A program path that is empty or relative is not registered.
void RegisterIrcHandler(const XdgFolders& folders, const std::string& programPath, std::string_view iconSvg);

} // namespace pell::app
