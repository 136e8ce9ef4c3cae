#pragma once

#include <string>

namespace pell::test {

// Certificates made with the openssl command in a folder of their own below /tmp for one
// test, gone with the object. Point SSL_CERT_FILE at caFile(), never at the system's store.
class TestCertificates {
public:
    enum Kind {
        Server,     // "localhost", DNS:localhost, IP:127.0.0.1, IP:::1, signed by the CA
        WrongName,  // "wrong.example", signed by the CA
        SelfSigned, // "localhost" with the right names, signed by itself
        Expired,    // "localhost" with the right names, signed by the CA, valid only in 2020
        LargeChain, // "localhost" through an intermediate of about 90 KB; the file holds both
        Client,     // self-signed client certificate for SASL EXTERNAL
    };

    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    const std::string& caFile() const { return caFile_; }
    // The fixed ffdhe2048 group: ngircd without it spends up to a second making its own.
    std::string dhFile() const { return dir_ + "/dh.pem"; }
    std::string cert(Kind kind) const;
    std::string key(Kind kind) const;
    // Lower-case hex without colons, as InspIRCd and atheme show it.
    const std::string& clientSha256() const { return clientSha256_; }

private:
    void run(const std::string& command) const;
    void request(const std::string& name, const std::string& subject, const std::string& names) const;
    void sign(const std::string& name, const std::string& issuer) const;

    std::string dir_;
    std::string caFile_;
    std::string clientSha256_;
};

} // namespace pell::test
