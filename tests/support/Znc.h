#pragma once

#include "support/ChildProcess.h"

namespace pell::test {

// A real ZNC 1.8 on 127.0.0.1 in front of an IRC server on upstreamPort: user "pell" with
// the network "test", already registered upstream as "pell" when the constructor returns.
class Znc : public LocalServer {
public:
    explicit Znc(int upstreamPort);

    // The server password a client logs in with (user/network:password).
    static constexpr const char* kPassword = "pell/test:sesame";
};

} // namespace pell::test
