#include "net/TlsCertificate.h"

#include <cctype>

namespace pell::net {

CertificateError::CertificateError(CertificateReport report)
    : TransportError(Kind::Certificate,
                     "Das Zertifikat von " + report.Host + " ist nicht vertrauenswürdig.",
                     "The certificate of " + report.Host + " is not trusted."),
      report_(std::move(report))
{
}

std::string NormalizedFingerprint(std::string_view fingerprint)
{
    std::string hex;
    hex.reserve(fingerprint.size());
    for (char c : fingerprint)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return hex;
}

} // namespace pell::net
