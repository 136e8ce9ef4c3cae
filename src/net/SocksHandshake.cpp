#include "net/SocksHandshake.h"

#include "net/Resolver.h"
#include "net/TcpConnection.h"
#include "net/TransportError.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace pell::net {

namespace {

const char* const kUnknown = "Unbekannter SOCKS-Fehler.";
const char* const kNoAnswer = "Socks-Server hat nicht geantwortet.";
const char* const kBadMethod = "Ungültige Authentifizierungmethode für SOCKS.";
const char* const kAuthFailed = "Authentifizierungsfehler bei Socks-Server.";

// Every field travels with a one-byte length (or in a 255-byte field); refuse before
// sending rather than cut it and talk to the proxy about something else.
void checkLength(const std::string& value, const char* what)
{
    if (value.size() > 255)
        throw TransportError::socks(std::string("SOCKS: ") + what + " ist länger als 255 Bytes.");
}

void appendPort(std::string& out, int port)
{
    out += static_cast<char>((port >> 8) & 0xFF);
    out += static_cast<char>(port & 0xFF);
}

TransportError noIPv6(const std::string& host)
{
    return TransportError::socks("SOCKS 4 erreicht nur IPv4-Adressen, und " + host +
                                     " hat keine: SOCKS 4A oder SOCKS 5 wählen.",
                                 "SOCKS 4 reaches IPv4 addresses only, and " + host +
                                     " has none: choose SOCKS 4A or SOCKS 5.");
}

// SOCKS 4 carries an IPv4 address that we look up ourselves.
std::uint32_t socks4Address(const std::string& host)
{
    if (IsIPv6Address(host))
        throw noIPv6(host);
    try {
        return ResolveIPv4(host);
    } catch (const TransportError&) {
        bool hasIPv6 = false;
        try {
            hasIPv6 = !ResolveAll(host, 0).empty();
        } catch (const TransportError&) {
        }
        if (hasIPv6)
            throw noIPv6(host);
        throw;
    }
}

void socks4(TcpConnection& connection, const SocksSettings& socks, const std::string& host, int port)
{
    const std::uint32_t address = socks.Version == SocksVersion::Socks4 ? socks4Address(host) : 0;
    connection.WriteBytes(Socks4Request(socks, host, address, port));
    const std::string reply = connection.ReadBytes(8);
    switch (static_cast<unsigned char>(reply[1])) {
    case 90:
        return;
    case 91:
        throw TransportError::socks("Anforderung zurückgewiesen oder fehlgeschlagen.");
    case 92:
        throw TransportError::socks("Die Anforderung wurde zurückgewiesen, da der SOCKS-Server "
                                    "keine Verbindung herstellen konnte.");
    case 93:
        throw TransportError::socks("Die Anforderung wurde zurückgewiesen, da das Client-Programm "
                                    "und identd verschiedene Anwender-IDs melden.");
    default:
        throw TransportError::socks(kUnknown);
    }
}

// A reply that does not come is one message, whatever went wrong while waiting.
std::string readReply(TcpConnection& connection, std::size_t count)
{
    try {
        return connection.ReadBytes(count);
    } catch (const TransportError&) {
        throw TransportError::socks(kNoAnswer);
    }
}

const char* socks5ReplyText(unsigned code)
{
    switch (code) {
    case 1: return "Allgemeiner SOCKS-Serverausfall.";
    case 2: return "Die Verbindung wird von der Regelmenge nicht zugelassen.";
    case 3: return "Das Netzwerk ist nicht erreichbar.";
    case 4: return "Host nicht erreichbar.";
    case 5: return "Verbindung abgelehnt.";
    case 6: return "TTL abgelaufen.";
    case 7: return "Anweisung nicht unterstützt";
    case 8: return "Der Adresstyp wird nicht unterstützt.";
    default: return kUnknown;
    }
}

void socks5(TcpConnection& connection, const SocksSettings& socks, const std::string& host, int port)
{
    const bool withPassword = socks.Authentication == SocksAuthentication::UsernamePassword;
    std::string login;
    if (withPassword) {
        checkLength(socks.Username, "Der Benutzername");
        checkLength(socks.Password, "Das Passwort");
        login += '\x01';
        login += static_cast<char>(socks.Username.size());
        login += socks.Username;
        login += static_cast<char>(socks.Password.size());
        login += socks.Password;
    }
    const std::string request = Socks5Request(host, port);

    const char method = withPassword ? '\x02' : '\x00';
    connection.WriteBytes(std::string{'\x05', '\x01', method});
    const std::string chosen = readReply(connection, 2);
    if (chosen[1] != method || static_cast<unsigned char>(chosen[1]) == 0xFF)
        throw TransportError::socks(kBadMethod);

    if (withPassword) {
        connection.WriteBytes(login);
        if (readReply(connection, 2)[1] != 0)
            throw TransportError::socks(kAuthFailed);
    }

    connection.WriteBytes(request);
    const std::string head = readReply(connection, 5);
    const unsigned code = static_cast<unsigned char>(head[1]);
    if (code != 0)
        throw TransportError::socks(socks5ReplyText(code));
    switch (head[3]) {
    case 1: readReply(connection, 5); break;
    case 3: readReply(connection, static_cast<unsigned char>(head[4]) + 2u); break;
    case 4: readReply(connection, 17); break;
    default: throw TransportError::socks(kUnknown); // cannot know where the reply ends
    }
}

} // namespace

void CheckSocksFields(const SocksSettings& socks, const std::string& host)
{
    switch (socks.Version) {
    case SocksVersion::Socks4:
        checkLength(socks.Username, "Der Benutzername");
        return;
    case SocksVersion::Socks4A:
        checkLength(socks.Username, "Der Benutzername");
        checkLength(host, "Der Hostname");
        return;
    case SocksVersion::Socks5:
        if (socks.Authentication == SocksAuthentication::UsernamePassword) {
            checkLength(socks.Username, "Der Benutzername");
            checkLength(socks.Password, "Das Passwort");
        }
        checkLength(host, "Der Hostname");
        return;
    case SocksVersion::None:
        return;
    }
}

std::string Socks4Request(const SocksSettings& socks, const std::string& host,
                          std::uint32_t resolvedAddress, int port)
{
    checkLength(socks.Username, "Der Benutzername");
    if (socks.Version == SocksVersion::Socks4A)
        checkLength(host, "Der Hostname");
    std::string out{'\x04', '\x01'};
    appendPort(out, port);
    const std::uint32_t address = socks.Version == SocksVersion::Socks4A ? 1u : resolvedAddress;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((address >> shift) & 0xFF);
    out += socks.Username;
    out += '\0';
    if (socks.Version == SocksVersion::Socks4A) {
        out += host;
        out += '\0';
    }
    return out;
}

std::string Socks5Request(const std::string& host, int port)
{
    // An IPv6 address goes as one (address type 4); anything else as a name, a dotted
    // address too, and the proxy looks it up.
    in6_addr v6{};
    if (inet_pton(AF_INET6, WithoutBrackets(host).c_str(), &v6) == 1) {
        std::string out{'\x05', '\x01', '\x00', '\x04'};
        out.append(reinterpret_cast<const char*>(v6.s6_addr), sizeof v6.s6_addr);
        appendPort(out, port);
        return out;
    }
    checkLength(host, "Der Hostname");
    std::string out{'\x05', '\x01', '\x00', '\x03'};
    out += static_cast<char>(host.size());
    out += host;
    appendPort(out, port);
    return out;
}

void SocksHandshake(TcpConnection& connection, const SocksSettings& socks, const std::string& bracketed,
                    int port)
{
    const std::string host = WithoutBrackets(bracketed);
    switch (socks.Version) {
    case SocksVersion::Socks4:
    case SocksVersion::Socks4A:
        socks4(connection, socks, host, port);
        return;
    case SocksVersion::Socks5:
        socks5(connection, socks, host, port);
        return;
    case SocksVersion::None:
        return;
    }
}

} // namespace pell::net
