#pragma once

#include "net/TransportError.h"

#include <string>
#include <string_view>
#include <vector>

namespace pell::net {

// Why a server's certificate could not be verified.
enum class CertificateProblem {
    SelfSigned,    // signed by itself, or by an authority that signed itself and is not trusted
    Expired,
    NotYetValid,
    UnknownIssuer, // signed by an authority this system does not trust
    WrongName,     // made for another host name or address
    Other,         // see CertificateReport::OtherProblem
};

// A certificate the connection stopped at, as the user is shown it. Every text in it
// comes from the server and is plain text (control characters escaped, cut short).
struct CertificateReport {
    std::string Host; // as the connection named it
    int Port = 0;
    std::string Subject;
    std::string Issuer;
    std::string ValidFrom;  // "2026-01-31 12:00:00 UTC"
    std::string ValidUntil;
    std::string Sha256;     // "AB:CD:...", 32 pairs
    std::vector<CertificateProblem> Problems; // each once, in the order found
    std::string OtherProblem; // the verifier's own English text of a problem of kind Other
    bool Changed = false;   // another certificate was trusted for this host and port
};

// The connect stopped because the certificate is not trusted; the connection is closed.
class CertificateError : public TransportError {
public:
    explicit CertificateError(CertificateReport report);
    const CertificateReport& Report() const { return report_; }

private:
    CertificateReport report_;
};

// A fingerprint in one form for comparing: hex digits in upper case, every other
// character ("AB:CD", blanks) dropped.
std::string NormalizedFingerprint(std::string_view fingerprint);

} // namespace pell::net
