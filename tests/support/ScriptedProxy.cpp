#include "support/ScriptedProxy.h"

#include "support/Loopback.h"

#include <chrono>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::test {

namespace {
constexpr int kWaitMs = 10000;
}

ScriptedProxy::ScriptedProxy(std::vector<Step> steps, End end) : steps_(std::move(steps)), end_(end)
{
    listener_ = listenLoopback(4, port_);
    thread_ = std::thread([this] { run(); });
}

ScriptedProxy::~ScriptedProxy()
{
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

void ScriptedProxy::run()
{
    const int client = acceptFor(listener_, kWaitMs, &stopping_);
    if (client >= 0) {
        accepted_ = true;
        client_ = client;
        std::string got;
        bool open = true;
        for (const Step& step : steps_) {
            open = readExactly(client, step.expect, got, kWaitMs, &stopping_);
            {
                std::lock_guard lock(mutex_);
                received_ += got;
            }
            got.clear();
            if (!open || !sendAll(client, step.reply))
                break;
        }
        if (open && end_ == End::Close)
            ::shutdown(client, SHUT_WR);
        // Read on until the client goes, to record anything it sends after the script.
        while (open && readExactly(client, 1, got, kWaitMs, &stopping_)) {
        }
        ::close(client);
        std::lock_guard lock(mutex_);
        received_ += got;
    }
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    changed_.notify_all();
}

std::string ScriptedProxy::receivedWhenDone(int milliseconds)
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return done_; });
    return received_;
}

} // namespace pell::test
