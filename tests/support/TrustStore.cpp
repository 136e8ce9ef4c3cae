#include "support/TrustStore.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace pell::test {

const TestCertificates& TrustedTestCertificates()
{
    static const TestCertificates certificates; // its folder goes when the program ends
    static const bool trusted = [] {
        ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);
        const std::string folder = certificates.caFile().substr(0, certificates.caFile().rfind('/'));
        return ::setenv("SSL_CERT_DIR", folder.c_str(), 1) == 0;
    }();
    (void)trusted;
    return certificates;
}

std::string FingerprintOf(const std::string& pemFile)
{
    const std::string command = "openssl x509 -noout -fingerprint -sha256 -in '" + pemFile + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::array<char, 256> line{};
    if (!pipe || !std::fgets(line.data(), line.size(), pipe.get()))
        return {};
    std::string text = line.data();
    text = text.substr(text.find('=') + 1);
    return text.substr(0, text.find_last_not_of("\r\n") + 1);
}

} // namespace pell::test
