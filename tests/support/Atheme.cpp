#include "support/Atheme.h"

namespace pell::test {

Atheme::Atheme(int linkPort) : LocalServer("atheme", linkPort)
{
    // It refuses to run as root.
    writeConfig("atheme.conf.in", dir_ + "/atheme.conf", {{"@LINKPORT@", std::to_string(port_)}, {"@DIR@", dir_}});
    giveFolderTo("irc");
    launch(asUser("irc", {PELL_ATHEME, "-n", "-c", dir_ + "/atheme.conf", "-D", dir_, "-l", dir_ + "/services.log",
                          "-p", dir_ + "/atheme.pid"}),
           10000, "finished synching with uplink");
}

} // namespace pell::test
