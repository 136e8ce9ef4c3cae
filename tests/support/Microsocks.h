#pragma once

#include "support/ChildProcess.h"

#include <string>

namespace pell::test {

// microsocks (SOCKS 5) on 127.0.0.1 and a free port; with a user name it demands
// user name and password.
class Microsocks {
public:
    explicit Microsocks(const std::string& user = {}, const std::string& password = {});
    ~Microsocks();
    Microsocks(const Microsocks&) = delete;
    Microsocks& operator=(const Microsocks&) = delete;

    int port() const { return port_; }
    std::string log() const { return process_.log(); }

private:
    std::string dir_;
    int port_ = 0;
    ChildProcess process_;
};

} // namespace pell::test
