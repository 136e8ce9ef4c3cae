#include "support/Microsocks.h"

#include "support/Ngircd.h"

#include <cstdlib>
#include <stdexcept>

namespace pell::test {

Microsocks::Microsocks(const std::string& user, const std::string& password)
{
    dir_ = makeTempDir("microsocks");
    port_ = freePort();
    std::vector<std::string> argv{PELL_MICROSOCKS, "-i", "127.0.0.1", "-p", std::to_string(port_)};
    if (!user.empty()) {
        argv.insert(argv.end(), {"-u", user, "-P", password});
    }
    process_.start(argv, dir_ + "/microsocks.log");
    if (!waitForPort(port_, 5000)) {
        const std::string printed = process_.log();
        process_.stop();
        throw std::runtime_error("microsocks did not start: " + printed);
    }
}

Microsocks::~Microsocks()
{
    process_.stop();
    const std::string command = "rm -rf '" + dir_ + "'";
    [[maybe_unused]] const int rc = std::system(command.c_str());
}

} // namespace pell::test
