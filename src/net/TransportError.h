#pragma once

#include <stdexcept>
#include <string>

namespace pell::net {

// A failure of the transport or of the SOCKS handshake. what() is the program's fixed
// German message; english() the same in English, for windows that follow the language.
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

    TransportError(Kind kind, const std::string& message, int code = 0, std::string english = {})
        : std::runtime_error(message), kind_(kind), code_(code), english_(std::move(english)) {}

    Kind kind() const { return kind_; }
    // The error number of a socket error; 0 otherwise.
    int code() const { return code_; }
    // The message in English; the German one where there is no English text.
    std::string english() const { return english_.empty() ? what() : english_; }

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
    std::string english_;
};

} // namespace pell::net
