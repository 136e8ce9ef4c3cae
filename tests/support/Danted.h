#pragma once

#include "support/ChildProcess.h"

#include <string>

namespace pell::test {

// danted (SOCKS 4 and 5, no authentication) on 127.0.0.1 and a free port, allowed to
// connect on to 127.0.0.0/8 only.
class Danted {
public:
    Danted();
    ~Danted();
    Danted(const Danted&) = delete;
    Danted& operator=(const Danted&) = delete;

    int port() const { return port_; }
    std::string log() const { return process_.log(); }

private:
    std::string dir_;
    int port_ = 0;
    ChildProcess process_;
};

} // namespace pell::test
