#pragma once

#include "support/ChildProcess.h"

namespace pell::test {

// danted (SOCKS 4 and 5, no authentication) on 127.0.0.1 and a free port, allowed to
// connect on to 127.0.0.0/8 only.
struct Danted : LocalServer {
    Danted();
};

} // namespace pell::test
