#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pell::test {

// A listening socket on 127.0.0.1 and a port the system picks; returns the socket.
int listenLoopback(int backlog, int& port);
// Accepts with a limit; -1 when nothing came or stopping was set.
int acceptFor(int listener, int milliseconds, const std::atomic<bool>* stopping = nullptr);
// Reads exactly count bytes into out; false on close, error, time-out or stop.
bool readExactly(int socket, std::size_t count, std::string& out, int milliseconds,
                 const std::atomic<bool>* stopping = nullptr);
bool sendAll(int socket, const std::string& bytes);
// A blocking connect to 127.0.0.1 (or another address of 127.0.0.0/8):port; the socket, or -1.
int connectLoopback(int port, std::uint32_t address = 0x7f000001);
// A connected TCP pair over 127.0.0.1: {our end, the peer's end}.
std::pair<int, int> connectedPair();
// Closes with RST instead of FIN.
void resetAndClose(int socket);
// A port on 127.0.0.1 that nothing listens on right now.
int freePort();
// Waits until something accepts on 127.0.0.1:port.
bool waitForPort(int port, int milliseconds);

// A port on 127.0.0.1 that answers no further connect: it listens with a backlog of 0
// and a connection nobody accepts already fills it, so the kernel drops every new SYN
// and a connect hangs in SYN retries. Stays on loopback, needs no firewall rules.
class StalledListener {
public:
    StalledListener();
    ~StalledListener();
    StalledListener(const StalledListener&) = delete;
    StalledListener& operator=(const StalledListener&) = delete;

    int port() const { return port_; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

} // namespace pell::test
