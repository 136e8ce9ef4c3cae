#include "support/Znc.h"

#include <sys/stat.h>

namespace pell::test {

Znc::Znc(int upstreamPort) : LocalServer("znc")
{
    mkdir((dir_ + "/configs").c_str(), 0755);
    writeConfig("znc.conf.in", dir_ + "/configs/znc.conf",
                {{"@PORT@", std::to_string(port_)}, {"@UPSTREAM@", std::to_string(upstreamPort)}});
    // ZNC refuses root without --allow-root and writes to its folder.
    giveFolderTo("irc");
    // --debug shows the upstream traffic, and with it when the bouncer has registered.
    launch(asUser("irc", {PELL_ZNC, "--foreground", "--debug", "--datadir", dir_}), 10000, " 001 pell ");
}

} // namespace pell::test
