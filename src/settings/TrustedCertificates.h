#pragma once

#include "settings/LineText.h"
#include "settings/SettingsFolder.h"

#include <optional>
#include <string>

namespace pell::settings {

// The server certificates the user chose to trust although they could not be verified:
// one per host and port, kept in TrustedCerts.dat next to SList.dat, three lines each
// (host, port, the certificate's SHA-256 fingerprint), written whole with mode 0600.
// Host names are compared without regard to case, IPv6 addresses without brackets.
class TrustedCertificates {
public:
    // Kept in memory only.
    TrustedCertificates() = default;
    explicit TrustedCertificates(SettingsFolder folder) : folder_(std::move(folder)) {}

    static constexpr std::size_t LinesPerEntry = 3;

    // The fingerprint trusted for host and port, empty when there is none. The file is
    // read again each time, so a choice made in another window or copy counts at once.
    std::string Find(const std::string& host, int port);
    // Trusts the fingerprint for host and port instead of any earlier one and writes the
    // file; throws FileWriteError (the choice then holds for the connection it was made
    // for only).
    void Trust(const std::string& host, int port, const std::string& sha256);

    const Lines& lines() const { return lines_; }

private:
    void reload();

    std::optional<SettingsFolder> folder_;
    Lines lines_;
};

} // namespace pell::settings
