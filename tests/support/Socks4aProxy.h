#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace pell::test {

// A tiny SOCKS 4 and 4A proxy on 127.0.0.1, serving one connection at a time. It
// resolves 4A host names itself and connects on to 127.0.0.0/8 only; anything else
// gets reply 91.
class Socks4aProxy {
public:
    Socks4aProxy();
    ~Socks4aProxy();
    Socks4aProxy(const Socks4aProxy&) = delete;
    Socks4aProxy& operator=(const Socks4aProxy&) = delete;

    int port() const { return port_; }
    // The last request as it came, up to its final NUL.
    std::string lastRequest() const;

private:
    void run();
    void serve(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::string lastRequest_;
};

} // namespace pell::test
