#pragma once

#include <string>
#include <vector>

namespace pell::test {

// A plain IRC client on a socket to 127.0.0.1, for tests that run an event loop: it
// never blocks, it reads whatever has arrived whenever it is asked, and answers PING.
class RawIrcClient {
public:
    // Connects, sends the first lines (PASS, CAP REQ, ...) and registers with NICK and USER.
    RawIrcClient(int port, const std::string& nick, const std::vector<std::string>& first = {});
    ~RawIrcClient();
    RawIrcClient(const RawIrcClient&) = delete;
    RawIrcClient& operator=(const RawIrcClient&) = delete;

    // Sends one line; CR LF is added.
    void send(const std::string& line);
    // Everything received so far.
    const std::string& received();
    bool saw(const std::string& text) { return received().find(text) != std::string::npos; }

private:
    int socket_ = -1;
    std::string received_;
    std::size_t answered_ = 0; // received bytes already scanned for PING
};

} // namespace pell::test
