#include "support/ScriptedPeer.h"

#include "support/Loopback.h"

#include <unistd.h>

namespace pell::test {

ScriptedPeer::ScriptedPeer(std::function<void(int socket)> script)
{
    listener_ = listenLoopback(1, port_);
    thread_ = std::thread([this, script = std::move(script)] {
        const int socket = acceptFor(listener_, 5000);
        if (socket < 0)
            return;
        script(socket);
        ::close(socket);
    });
}

ScriptedPeer::~ScriptedPeer()
{
    join();
    ::close(listener_);
}

void ScriptedPeer::join()
{
    if (thread_.joinable())
        thread_.join();
}

} // namespace pell::test
