#include "support/Ngircd.h"

#include <fstream>
#include <sys/stat.h>

namespace pell::test {

Ngircd::Ngircd(const Options& options) : LocalServer("ngircd", options.port)
{
    mkdir((dir_ + "/conf.d").c_str(), 0755);
    writeConfig("ngircd.conf.in", dir_ + "/ngircd.conf",
                {{"@NAME@", name_}, {"@LISTEN@", options.ipv6 ? "127.0.0.1,::1" : "127.0.0.1"}, {"@PORT@", std::to_string(port_)},
                 {"@PASSWORD@", options.password.empty() ? "" : "Password = " + options.password}, {"@DIR@", dir_}});
    std::ofstream conf(dir_ + "/ngircd.conf", std::ios::app); // the TLS section, when asked for
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
