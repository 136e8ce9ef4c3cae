#pragma once

#include "net/TlsCertificate.h"
#include "settings/AppSettings.h"

#include <string>
#include <string_view>

namespace pell::session {

// The texts about how a connection is made (encryption, certificates), in both languages.
enum class ConnectionTextKind {
    Encrypted,          // {a}: "TLSv1.3, TLS_AES_256_GCM_SHA384"
    CertificateCaption, // the question box's caption
    CertificateRefused, // {a}: host:port
    CertificateUnsaved, // {a}: the file error
    LoggedIn,           // {a}: the account
    LoginRejected,      // {a}: the server's words
    LoginAborted,       // {a}: the server's words
    LoginNotOffered,    // {a}: the mechanism
    LoginNotEncrypted,
    LoginNoAnswer,
    LoginGoesOn,        // after a failure when the login is not required
    LoginRequired,      // after a failure when it is: the connection ends
    InviteNotify,       // {a} invited {b} to {c}
};

std::string ConnectionText(settings::Language language, ConnectionTextKind kind, std::string_view a = {},
                           std::string_view b = {}, std::string_view c = {});

// "host:port", an IPv6 address in brackets.
std::string HostAndPort(const std::string& host, int port);

// The question asked about a certificate that could not be verified: why, then subject,
// issuer, validity and SHA-256 fingerprint, each on a line of its own, then whether to
// trust it for that host and port.
std::string CertificateQuestion(settings::Language language, const net::CertificateReport& report);

// The message of a failed connect in the language, where it has one in both.
std::string ConnectFailure(settings::Language language, const std::exception& error);

} // namespace pell::session
