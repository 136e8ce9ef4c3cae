#pragma once

#include "support/TestCertificates.h"

#include <string>

namespace pell::test {

// The test certificates of this test program, made on first use; from then on OpenSSL's
// trusted authorities (SSL_CERT_FILE, SSL_CERT_DIR) are their CA alone, never the system's.
const TestCertificates& TrustedTestCertificates();

// The SHA-256 fingerprint of a PEM certificate as the openssl command prints it
// ("AB:CD:..."), for expected texts.
std::string FingerprintOf(const std::string& pemFile);

} // namespace pell::test
