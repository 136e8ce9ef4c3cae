#pragma once

#include <stdexcept>
#include <string>

namespace pell::net {

// A failure of the transport or of the SOCKS handshake. The texts are the program's
// fixed German messages; callers show them as they are.
class TransportError : public std::runtime_error {
public:
    enum class Kind {
        ReadTimeout,
        ConnectionClosed,
        NotConnected,
        ConnectTimeout,
        LineTooLong,
        BindFailed,
        Socket,
        Socks,
    };

    TransportError(Kind kind, const std::string& message, int code = 0)
        : std::runtime_error(message), kind_(kind), code_(code) {}

    Kind kind() const { return kind_; }
    // The error number of a socket error; 0 otherwise.
    int code() const { return code_; }

    static TransportError readTimeout();
    static TransportError connectionClosed();
    static TransportError notConnected();
    static TransportError connectTimeout();
    static TransportError lineTooLong();
    static TransportError bindFailed();
    // "Socket-Fehler # N", CR LF, then the system's text for N.
    static TransportError socket(int errorNumber);
    static TransportError socket(int errorNumber, const std::string& systemText);
    static TransportError socks(const std::string& message);

private:
    Kind kind_;
    int code_;
};

} // namespace pell::net
