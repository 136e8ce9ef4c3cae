#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace pell::net {

// A small client for the GUI thread: the connect does not wait, and each poll takes
// at most one line from the socket. Errors go to OnError only; with none bound they
// pass silently.
class NonBlockingClient {
public:
    NonBlockingClient() = default;
    ~NonBlockingClient();
    NonBlockingClient(const NonBlockingClient&) = delete;
    NonBlockingClient& operator=(const NonBlockingClient&) = delete;

    // Every chunk actually taken from the socket, with its length.
    std::function<void(const char* data, std::size_t length)> OnReceive;
    std::function<void(int errorNumber)> OnError;
    // A poll found the connection over: 0 when the peer closed it, else the error that
    // ended it (refused, reset, ...). The socket is closed then; later polls do nothing.
    std::function<void(int errorNumber)> OnClosed;

    // Empty means 0.0.0.0; an IPv6 address is kept (brackets dropped); a name is
    // resolved to IPv4; a dotted address must be valid (otherwise the host becomes empty).
    void SetRemoteHost(const std::string& host);
    const std::string& RemoteHost() const { return host_; }
    // A service name first, else a decimal number.
    void SetRemotePort(const std::string& port);
    int RemotePort() const { return port_; }

    void Open();
    // False when the line did not go out whole (not connected yet, or the socket is full).
    bool SendLine(const std::string& text, const std::string& endOfLine = "\r\n");
    // Takes what is available up to and including the first end of line, or all of it
    // when there is none; returns the taken text without the end of line.
    std::string PollLine(const std::string& endOfLine = "\r\n");
    void Close();
    bool IsOpen() const { return socket_ >= 0; }
    // True once the connection has completed.
    bool Established() const;

private:
    void fail(int errorNumber);
    void ended(int errorNumber);

    std::string host_;
    int port_ = 0;
    int socket_ = -1;
};

} // namespace pell::net
