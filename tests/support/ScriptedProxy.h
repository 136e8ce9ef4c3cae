#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pell::test {

// A fake proxy on 127.0.0.1 for one connection: each step waits for a number of bytes
// and answers with fixed bytes, so replies a real proxy never gives can be played.
class ScriptedProxy {
public:
    struct Step {
        std::size_t expect; // bytes to read before answering
        std::string reply;
    };
    enum class End {
        Close, // close the sending side, then read until the client goes
        Hold,  // keep the connection open until the client goes
    };

    explicit ScriptedProxy(std::vector<Step> steps, End end = End::Close);
    ~ScriptedProxy();
    ScriptedProxy(const ScriptedProxy&) = delete;
    ScriptedProxy& operator=(const ScriptedProxy&) = delete;

    int port() const { return port_; }
    // Waits until the client has gone (or the time is up), then gives every byte it sent.
    std::string receivedWhenDone(int milliseconds = 5000);
    bool accepted() const { return accepted_; }

private:
    void run();

    std::vector<Step> steps_;
    End end_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> client_{-1};
    std::atomic<bool> accepted_{false};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string received_;
    bool done_ = false;
};

} // namespace pell::test
