#pragma once

#include "support/ChildProcess.h"

namespace pell::test {

// microsocks (SOCKS 5) on 127.0.0.1 and a free port; with a user name it demands
// user name and password.
struct Microsocks : LocalServer {
    explicit Microsocks(const std::string& user = {}, const std::string& password = {});
};

} // namespace pell::test
