#pragma once

#include <stdexcept>
#include <string>

namespace pell::net {

// A failure of the transport, the SOCKS handshake or TLS. The older texts are the
// program's fixed German messages, shown as they are; newer ones carry an English text
// as well, which the windows show when English is chosen.
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
        Tls,         // the TLS handshake failed or timed out
        Certificate, // the server's certificate is not trusted (see CertificateError)
    };

    TransportError(Kind kind, const std::string& message, int code = 0, std::string english = {})
        : std::runtime_error(message), kind_(kind), code_(code), english_(std::move(english)) {}
    TransportError(Kind kind, const std::string& german, const std::string& english)
        : std::runtime_error(german), kind_(kind), code_(0), english_(english) {}

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
    static TransportError socks(const std::string& german, const std::string& english);
    static TransportError tls(const std::string& german, const std::string& english);

private:
    Kind kind_;
    int code_;
    std::string english_;
};

} // namespace pell::net
