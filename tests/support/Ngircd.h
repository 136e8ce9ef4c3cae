#pragma once

#include "support/ChildProcess.h"

namespace pell::test {

// A real ngircd on 127.0.0.1 and a free port, started in the foreground for one test
// and stopped by its process id when the object goes.
class Ngircd : public LocalServer {
public:
    struct Options {
        std::string password; // server password; empty for none
        int port = 0;         // 0 picks a free one (a restart passes the old one)
        std::string certFile; // with keyFile: TLS on tlsPort() (see TestCertificates)
        std::string keyFile;
        std::string dhFile; // TestCertificates::dhFile() saves up to a second of start-up
        bool ipv6 = false; // listen on ::1 as well as 127.0.0.1
        int tlsPort = 0;   // 0 picks a free one (a restart passes the old one)
    };

    Ngircd() : Ngircd(Options{}) {}
    explicit Ngircd(const Options& options);

    const std::string& name() const { return name_; }
    // The TLS port; 0 without certificate.
    int tlsPort() const { return tlsPort_; }

private:
    std::string name_ = "irc.pell.test";
    int tlsPort_ = 0;
};

} // namespace pell::test
