#include "support/Danted.h"

#include "support/Ngircd.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

namespace pell::test {

Danted::Danted()
{
    dir_ = makeTempDir("danted");
    port_ = freePort();
    const std::string confPath = dir_ + "/danted.conf";
    std::ofstream conf(confPath);
    conf << "logoutput: stderr\n"
         << "internal: 127.0.0.1 port = " << port_ << "\n"
         << "external: lo\n"
         << "clientmethod: none\n"
         << "socksmethod: none\n"
         << "user.privileged: root\n"
         << "user.unprivileged: nobody\n"
         << "client pass {\n  from: 127.0.0.0/8 to: 0.0.0.0/0\n}\n"
         << "socks pass {\n  from: 127.0.0.0/8 to: 127.0.0.0/8\n"
         << "  command: connect\n  protocol: tcp\n}\n";
    conf.close();
    // danted reads it again after dropping to user nobody.
    chmod(confPath.c_str(), 0644);
    process_.start({PELL_DANTED, "-f", confPath, "-p", dir_ + "/danted.pid"}, dir_ + "/danted.log");
    if (!waitForPort(port_, 10000)) {
        const std::string printed = process_.log();
        process_.stop();
        throw std::runtime_error("danted did not start: " + printed);
    }
}

Danted::~Danted()
{
    process_.stop();
    const std::string command = "rm -rf '" + dir_ + "'";
    [[maybe_unused]] const int rc = std::system(command.c_str());
}

} // namespace pell::test
