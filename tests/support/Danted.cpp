#include "support/Danted.h"

#include <fstream>
#include <sys/stat.h>

namespace pell::test {

Danted::Danted() : LocalServer("danted")
{
    const std::string confPath = dir_ + "/danted.conf";
    std::ofstream(confPath) << "logoutput: stderr\n"
                            << "internal: 127.0.0.1 port = " << port_ << "\n"
                            << "external: lo\nclientmethod: none\nsocksmethod: none\n"
                            << "user.privileged: root\nuser.unprivileged: nobody\n"
                            << "client pass {\n  from: 127.0.0.0/8 to: 0.0.0.0/0\n}\n"
                            << "socks pass {\n  from: 127.0.0.0/8 to: 127.0.0.0/8\n"
                            << "  command: connect\n  protocol: tcp\n}\n";
    // danted reads it again after dropping to user nobody.
    chmod(confPath.c_str(), 0644);
    launch({PELL_DANTED, "-f", confPath, "-p", dir_ + "/danted.pid"}, 10000);
}

} // namespace pell::test
