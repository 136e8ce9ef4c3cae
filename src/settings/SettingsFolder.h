#pragma once

#include "settings/AppSettings.h"
#include "settings/LineText.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>
#include <string>
#include <string_view>

namespace pell::settings {

// The nine settings files, and those added beside them later.
enum class SettingsFile {
    SettingsIni,
    SList,
    Proxy,
    Folders,
    Accept,
    Disable,
    Ignore,
    Color,
    Template,
    Extras,
    TrustedCerts, // certificates the user chose to trust (TrustedCertificates.h)
    Logins,       // the server entries' logins (ServerList.h)
};

// The exact file name ("settings.ini", "SList.dat", ...).
std::string_view fileName(SettingsFile file);
// True for the files that hold scrambled passwords (settings.ini, SList.dat,
// Proxy.ini, Logins.dat) or other secrets (TrustedCerts.dat): they are written with
// mode 0600.
bool holdsPasswords(SettingsFile file);

// Reads and writes whole settings files in the program folder. A file is read whole
// into lines and written whole from lines; writing goes to a temporary file in the
// same folder that is then renamed over the old one, so the old file stays intact
// until the new one is complete.
class SettingsFolder {
public:
    // folder: the program folder, ending in "/".
    explicit SettingsFolder(std::string folder);

    const std::string& folder() const { return folder_; }
    std::string pathOf(SettingsFile file) const;

    // The lines of the file; nothing when it does not exist or cannot be read. A file
    // that exists but cannot be read is left alone for the rest of the run (see write)
    // and its error kept for reportReadErrors. So is a file holding a NUL byte, whose
    // lines before it are read: writing them back would lose every line after it.
    std::optional<Lines> read(SettingsFile file) const;
    // Writes the file from the lines (CR LF after each); throws FileWriteError, and
    // SettingsError for a line holding CR, LF or NUL, which would shift every later
    // line. A file that could not be read is not written: saving defaults over it
    // would lose what it holds. A file on disk that this run has neither read nor
    // written throws FileWriteError: what is in memory was never loaded from it.
    void write(SettingsFile file, const Lines& lines) const;
    // Throws one SettingsError with the read errors not yet reported, each once, in the
    // language given: called at the end of a loading step, so every other file is still
    // read.
    void reportReadErrors(Language language = Language::English) const;
    // Why the file could not be read in this run; nothing when it could, or is missing.
    std::optional<std::string> readFailure(SettingsFile file) const;

private:
    std::string folder_;
    // Shared by the copies of this folder the models hold.
    struct ReadFailures {
        std::map<SettingsFile, std::string> reasons;
        std::vector<std::pair<std::string, std::string>> unreported; // English, German
        std::set<SettingsFile> known; // read or written in this run
    };
    std::shared_ptr<ReadFailures> failures_ = std::make_shared<ReadFailures>();
};

// Writes the bytes to path through a temporary file and a rename; the file gets the
// given mode. Throws FileWriteError; on failure the old file is untouched and the
// temporary file removed.
void writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode);

namespace testing {
// Called after each chunk a write has put into the temporary file, with the bytes
// written so far; returning false makes the write fail there as a full disk would.
// Empty by default.
extern std::function<bool(std::size_t written)> afterWriteChunk;
inline constexpr std::size_t WriteChunkSize = 4096;
} // namespace testing

} // namespace pell::settings
