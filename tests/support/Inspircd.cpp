#include "support/Inspircd.h"

#include "support/Loopback.h"

#include <fstream>

namespace pell::test {

Inspircd::Inspircd(const Options& options) : LocalServer("inspircd"), tlsPort_(freePort()), linkPort_(freePort())
{
    if (!options.certificates)
        ownCertificates_ = std::make_unique<TestCertificates>();
    certificates_ = options.certificates ? options.certificates : ownCertificates_.get();
    std::ofstream(dir_ + "/motd.txt") << "Hello from the test server\n";
    writeConfig("inspircd.conf.in", dir_ + "/inspircd.conf",
                {{"@PORT@", std::to_string(port_)},
                 {"@TLSPORT@", std::to_string(tlsPort_)},
                 {"@LINKPORT@", std::to_string(linkPort_)},
                 {"@DIR@", dir_},
                 {"@CERTFILE@", certificates_->cert(TestCertificates::Server)},
                 {"@KEYFILE@", certificates_->key(TestCertificates::Server)}});
    // It refuses to run as root.
    giveFolderTo("irc");
    launch(asUser("irc", {PELL_INSPIRCD, "--nofork", "--config", dir_ + "/inspircd.conf"}));
    if (options.services)
        services_ = std::make_unique<Atheme>(linkPort_);
}

} // namespace pell::test
