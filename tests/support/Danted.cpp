#include "support/Danted.h"

#include <sys/stat.h>

namespace pell::test {

Danted::Danted() : LocalServer("danted")
{
    const std::string confPath = dir_ + "/danted.conf";
    writeConfig("danted.conf.in", confPath, {{"@PORT@", std::to_string(port_)}});
    // danted reads it again after dropping to user nobody.
    chmod(confPath.c_str(), 0644);
    launch({PELL_DANTED, "-f", confPath, "-p", dir_ + "/danted.pid"}, 10000);
}

} // namespace pell::test
