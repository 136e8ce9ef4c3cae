#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace pell::test {

// A scripted peer on 127.0.0.1: accepts one connection, records every byte it gets,
// and sends or closes when the test says so. For exact wire bytes and hostile input.
class FakeServer {
public:
    FakeServer();
    ~FakeServer();

    int port() const { return port_; }
    bool waitForClient(int milliseconds = 5000);
    // Everything received so far.
    std::string received() const;
    // Waits until the received bytes contain the text.
    bool waitForReceived(const std::string& text, int milliseconds = 5000) const;
    void send(const std::string& bytes);
    // Closes the client connection; with reset, an RST instead of a FIN.
    void closeClient(bool reset = false);

private:
    void run();

    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> client_{-1};
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::string received_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> resetRequested_{false};
};

} // namespace pell::test
