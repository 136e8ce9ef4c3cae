#pragma once

#include "settings/LineText.h"
#include "settings/SettingsFolder.h"
#include "settings/ServerProfile.h"

#include <string>

namespace pell::settings {

// The lines of SList.dat in memory: twelve lines per server entry, entry i
// on lines 12i to 12i+11; an incomplete last entry is ignored. Beside them, the lines of
// Logins.dat: six per login (entry name, mechanism, account, scrambled password,
// certificate file, "True"/"False" for required), one for each entry that logs in.
class ServerList {
public:
    static constexpr std::size_t LinesPerEntry = 12;
    static constexpr std::size_t LinesPerLogin = 6;
    static constexpr const char* TrueWord = "True";
    static constexpr const char* FalseWord = "False";

    // Line numbers within an entry.
    enum Line : std::size_t {
        NameLine, HostLine, PortLine, AutoConnectLine, NickLine, RealNameLine,
        UsernameLine, PasswordLine, InvisibleLine, OperatorLine, ServerNoticeLine, WallopsLine,
    };

    ServerList() = default;
    explicit ServerList(Lines lines) : lines_(std::move(lines)) {}

    const Lines& lines() const { return lines_; }
    std::size_t entryCount() const { return lines_.size() / LinesPerEntry; }
    // Line `line` of entry `entry`; entry must be below entryCount().
    const std::string& line(std::size_t entry, Line line) const { return lines_[entry * LinesPerEntry + line]; }

    // Fills the profile from the first entry whose name line equals name exactly and
    // returns true; returns false with the profile untouched when none does. A port line
    // that is not a decimal integer throws ConversionError, after Name and Host were set;
    // one that starts with "+" asks for TLS. The entry's login comes with it.
    bool FindProfileByName(const std::string& name, ServerProfile& profile) const;

    // The twelve lines of an entry as the options dialog's Save writes them: the port
    // text as typed (with a "+" put before it for TLS), the nick without spaces, the
    // password scrambled.
    static Lines entryLines(const ServerProfile& profile, const std::string& portText);
    static Lines entryLines(const ServerProfile& profile);
    // Replaces the first entry with the same name line, or appends the entry at the end.
    void storeEntry(const Lines& entry);
    // Removes every entry whose name line equals name exactly, and its login.
    void deleteEntries(const std::string& name);

    // The login of the entry named so; an empty one when it has none.
    ServerLogin login(const std::string& name) const;
    // Keeps the login for the entry named so (one without a mechanism and account is
    // dropped).
    void storeLogin(const std::string& name, const ServerLogin& login);
    const Lines& loginLines() const { return logins_; }

    // Fills the list from SList.dat when it exists (returns false otherwise, the list
    // unchanged), and the logins from Logins.dat. save writes SList.dat from the list,
    // then Logins.dat when there are logins or the file was there; throws FileWriteError.
    bool load(const SettingsFolder& folder);
    void save(const SettingsFolder& folder) const;

    // The port line of a port text: a "+" before it when TLS is asked for and it has none.
    static std::string portLine(const std::string& portText, bool tls);

private:
    Lines lines_;
    Lines logins_;
    mutable bool loginsFile_ = false; // Logins.dat exists: written even when emptied
};

} // namespace pell::settings
