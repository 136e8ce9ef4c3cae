#pragma once

#include <functional>
#include <thread>

namespace pell::test {

// A peer on 127.0.0.1 played by a script on its own thread: it listens, takes one
// connection within 5 s and hands its socket to the script, closing it afterwards. For
// senders that lie about sizes, close early or never wait for acknowledgements.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::function<void(int socket)> script);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    int port() const { return port_; }
    // Waits for the script to end.
    void join();

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

} // namespace pell::test
