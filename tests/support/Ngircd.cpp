#include "support/Ngircd.h"

#include <fstream>
#include <sys/stat.h>

namespace pell::test {

Ngircd::Ngircd(const Options& options) : LocalServer("ngircd", options.port)
{
    mkdir((dir_ + "/conf.d").c_str(), 0755);
    std::ofstream conf(dir_ + "/ngircd.conf");
    conf << "[Global]\n"
         << "Name = " << name_ << "\n"
         << "Info = Pell-IRC test server\n"
         << "AdminInfo1 = test\nAdminInfo2 = test\nAdminEMail = test@localhost\n"
         << "Listen = " << (options.ipv6 ? "127.0.0.1,::1" : "127.0.0.1") << "\n"
         << "Ports = " << port_ << "\n"
         << "MotdPhrase = Hello from the test server\n";
    if (!options.password.empty())
        conf << "Password = " << options.password << "\n";
    conf << "[Limits]\nMaxPenaltyTime = 0\nMaxConnectionsIP = 0\nMaxJoins = 0\nMaxNickLength = 30\n"
         << "[Options]\nPAM = no\nIdent = no\nDNS = no\nScrubCTCP = no\n"
         << "IncludeDir = " << dir_ << "/conf.d\n";
    if (!options.certFile.empty()) {
        tlsPort_ = options.tlsPort;
        while (tlsPort_ == 0 || tlsPort_ == port_) // a free port asked twice may come twice
            tlsPort_ = freePort();
        conf << "[SSL]\nCertFile = " << options.certFile << "\nKeyFile = " << options.keyFile << "\n"
             << "Ports = " << tlsPort_ << "\n";
        if (!options.dhFile.empty())
            conf << "DHFile = " << options.dhFile << "\n";
    }
    conf.close();
    chmod((dir_ + "/ngircd.conf").c_str(), 0644);
    // The plain port answers first; the last listener opened (::1, then the TLS port) says
    // when every address is ready.
    const int last = tlsPort_ ? tlsPort_ : port_;
    launch({PELL_NGIRCD, "-n", "-f", dir_ + "/ngircd.conf"}, 5000,
           "Now listening on [" + std::string(options.ipv6 ? "0::1" : "127.0.0.1") + "]:" + std::to_string(last));
}

} // namespace pell::test
