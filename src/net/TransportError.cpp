#include "net/TransportError.h"

#include <cstring>

namespace pell::net {

TransportError TransportError::readTimeout()
{
    return {Kind::ReadTimeout, "Zeitüberschreitung beim Lesen", 0, "Read timed out."};
}

TransportError TransportError::connectionClosed()
{
    return {Kind::ConnectionClosed, "Die Verbindung wurde erfolgreich geschlossen.", 0, "Connection closed gracefully."};
}

TransportError TransportError::notConnected()
{
    return {Kind::NotConnected, "Nicht verbunden", 0, "Not connected."};
}

TransportError TransportError::connectTimeout()
{
    return {Kind::ConnectTimeout, "Zeitüberschreitung der Verbindung.", 0, "Connection timed out."};
}

TransportError TransportError::lineTooLong()
{
    return {Kind::LineTooLong, "Max. Zeilenlänge überschritten.", 0, "Max. line length exceeded."};
}

TransportError TransportError::bindFailed()
{
    return {Kind::BindFailed,
            "Socket konnte nicht gebunden werden. Adresse und Port werden bereits benutzt.", 0,
            "Could not bind socket. Address and port are already in use."};
}

TransportError TransportError::socket(int errorNumber)
{
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return socket(errorNumber, text);
}

TransportError TransportError::socket(int errorNumber, const std::string& systemText)
{
    const std::string number = std::to_string(errorNumber) + "\r\n" + systemText;
    return {Kind::Socket, "Socket-Fehler # " + number, errorNumber, "Socket Error # " + number};
}

TransportError TransportError::socks(const std::string& message)
{
    return {Kind::Socks, message};
}

TransportError TransportError::socks(const std::string& german, const std::string& english)
{
    return {Kind::Socks, german, english};
}

TransportError TransportError::tls(const std::string& german, const std::string& english)
{
    return {Kind::Tls, german, english};
}

} // namespace pell::net
