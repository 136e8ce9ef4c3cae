#pragma once

#include "support/Atheme.h"
#include "support/ChildProcess.h"
#include "support/TestCertificates.h"

#include <memory>

namespace pell::test {

// A real InspIRCd 3 on 127.0.0.1 for one test: a plain port, a TLS port with the test
// server certificate (client certificates asked for and shown as SHA-256), the IRCv3
// modules (CAP 302, server-time, msgid, account-tag, echo-message, multi-prefix, ...),
// halfops, +e and +I, and by default atheme linked as services for NickServ and SASL.
class Inspircd : public LocalServer {
public:
    struct Options {
        bool services = true;                           // link atheme
        const TestCertificates* certificates = nullptr; // made here when none are given
    };

    Inspircd() : Inspircd(Options{}) {}
    explicit Inspircd(const Options& options);

    const std::string& name() const { return name_; }
    int tlsPort() const { return tlsPort_; }
    const TestCertificates& certificates() const { return *certificates_; }

private:
    std::string name_ = "irc.pell.test";
    int tlsPort_ = 0;
    int linkPort_ = 0;
    std::unique_ptr<TestCertificates> ownCertificates_;
    const TestCertificates* certificates_ = nullptr;
    std::unique_ptr<Atheme> services_; // goes before the server it is linked to
};

} // namespace pell::test
