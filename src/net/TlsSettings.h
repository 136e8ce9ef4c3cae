#pragma once

#include <string>

namespace pell::net {

// Whether and how a server connection is encrypted.
struct TlsSettings {
    bool Enabled = false;
    // The SHA-256 fingerprint of a certificate the user chose to trust for this host
    // and port although it could not be verified; empty when there is none.
    std::string TrustedSha256;
    // A PEM file holding a client certificate and its key, shown to the server (which
    // may log us in by it); empty for none.
    std::string ClientCertificate;

    bool operator==(const TlsSettings&) const = default;
};

} // namespace pell::net
