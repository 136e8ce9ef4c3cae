#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pell::dcc {

// The folder rules a download needs, copied on the GUI thread when it starts, so the
// worker never reads settings the options dialog may be changing.
struct DownloadRules {
    struct Rule {
        std::string Pattern; // "*.mp3", "*.*"
        std::string Folder;  // a folder, or "Rootfolder"
    };
    std::vector<Rule> Rules;
    std::string DefaultFolder; // the program folder's "Downloads/"
};

// "*" and the lower-cased extension of the name's last component (dot included).
std::string ExtensionPattern(std::string_view fileName);

// The folder for a file: the last matching rule ("*.*" matches every file) decides;
// "Rootfolder" or no rule means the default folder. The folder is created with its
// parents and returned with a trailing "/".
std::string DownloadFolderFor(std::string_view fileName, const DownloadRules& rules);

// A name that stays inside the download folder: the part after the last "/" or "\",
// control bytes as "_", "download" for nothing usable (empty, blanks only, "." or ".."),
// at most 255 bytes (cut before the extension).
std::string SafeFileName(std::string_view offered);

// The name with a counter just before its extension: song.mp3 -> song0.mp3.
std::string CountedName(std::string_view name, int counter);

// The size of a file the offer could continue: the regular file (not a link) the name
// would be stored as, when it holds more than 0 and fewer than `offered` bytes.
std::optional<std::uint64_t> ResumableSize(const std::string& folder, const std::string& safeName,
                                           std::uint64_t offered);

// Opens that file to append to it; throws std::system_error when it is no longer the
// regular file of `size` bytes it was.
int OpenForResume(const std::string& folder, const std::string& safeName, std::uint64_t size, std::string& path);

// Creates a new file in the folder that cannot follow a link or replace anything,
// counting on (a.txt, a0.txt, a1.txt) while a name is taken. Returns the open
// descriptor and sets path; throws std::system_error when no file can be made.
int CreateDownloadFile(const std::string& folder, const std::string& safeName, std::string& path);

} // namespace pell::dcc
