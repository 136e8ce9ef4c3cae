#include "support/RawIrcClient.h"

#include "support/Loopback.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::test {

RawIrcClient::RawIrcClient(int port, const std::string& nick, const std::vector<std::string>& first)
{
    socket_ = connectLoopback(port);
    if (socket_ < 0)
        throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port));
    // Connected while blocking; from now on reads must not stall the caller's event loop.
    ::fcntl(socket_, F_SETFL, ::fcntl(socket_, F_GETFL) | O_NONBLOCK);
    for (const std::string& line : first)
        send(line);
    send("NICK " + nick);
    send("USER " + nick + " 0 * :" + nick);
}

RawIrcClient::~RawIrcClient()
{
    if (socket_ >= 0)
        ::close(socket_);
}

void RawIrcClient::send(const std::string& line)
{
    // A few short lines always fit in the socket buffer, so a non-blocking send suffices.
    sendAll(socket_, line + "\r\n");
}

const std::string& RawIrcClient::received()
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        received_.append(buffer, static_cast<std::size_t>(got));
    }
    // Keep the connection alive through a long test.
    for (auto at = received_.find("PING ", answered_); at != std::string::npos;
         at = received_.find("PING ", answered_)) {
        const auto end = received_.find("\r\n", at);
        if (end == std::string::npos)
            break;
        if (at == 0 || received_[at - 1] == '\n')
            send("PONG " + received_.substr(at + 5, end - at - 5));
        answered_ = end;
    }
    return received_;
}

} // namespace pell::test
