#pragma once

#include <optional>
#include <string>

namespace pell::settings {

// What decides the program folder on Linux, gathered apart from the decision so that
// tests can feed their own values.
struct ProgramFolderSources {
    std::optional<std::string> pellIrcHome;   // $PELL_IRC_HOME
    std::optional<std::string> xdgConfigHome; // $XDG_CONFIG_HOME
    std::optional<std::string> home;          // $HOME
    std::string executablePath;               // the program file, as /proc/self/exe names it
};

// The environment and /proc/self/exe of this process.
ProgramFolderSources currentProgramFolderSources();

// ProgramFolder on Linux, always an absolute path ending in "/":
// 1. $PELL_IRC_HOME when set and not empty (a relative value is taken from the
//    current folder);
// 2. else the folder of the program file when the program may write there and it is
//    not a "bin" folder (where an installed program lives);
// 3. else $XDG_CONFIG_HOME/pell-irc/ (an unset, empty or relative value means
//    $HOME/.config), falling back to "./pell-irc/" without a home.
// The folder of 1 and 3 is created when missing; every folder created here gets mode 0700.
std::string resolveProgramFolder(const ProgramFolderSources& sources);

// resolveProgramFolder of this process, computed once.
const std::string& ProgramFolder();

// The default download folder: "Downloads/" below the program folder (the word
// "Rootfolder" of a folder rule stands for it).
std::string defaultDownloadFolder(const std::string& programFolder);

} // namespace pell::settings
