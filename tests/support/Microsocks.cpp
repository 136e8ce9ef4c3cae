#include "support/Microsocks.h"

namespace pell::test {

Microsocks::Microsocks(const std::string& user, const std::string& password) : LocalServer("microsocks")
{
    std::vector<std::string> argv{PELL_MICROSOCKS, "-i", "127.0.0.1", "-p", std::to_string(port_)};
    if (!user.empty())
        argv.insert(argv.end(), {"-u", user, "-P", password});
    launch(argv);
}

} // namespace pell::test
