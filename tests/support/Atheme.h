#pragma once

#include "support/ChildProcess.h"

namespace pell::test {

// atheme-services linked as "services.pell.test" to an InspIRCd's server port, with a fresh
// database in its own folder: NickServ (REGISTER needs no e-mail confirmation, CERT ADD),
// ChanServ and SaslServ (PLAIN, EXTERNAL). Ready once the link has synchronised.
class Atheme : public LocalServer {
public:
    explicit Atheme(int linkPort);
};

} // namespace pell::test
