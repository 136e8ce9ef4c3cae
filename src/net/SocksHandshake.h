#pragma once

#include "net/SocksSettings.h"

#include <cstdint>
#include <string>

namespace pell::net {

class TcpConnection;

// Asks the proxy at the other end of the connection to connect on to host:port.
// Throws TransportError with the proxy's failure text; on success the connection
// carries the target's bytes, starting with the first one after the proxy's reply.
void SocksHandshake(TcpConnection& connection, const SocksSettings& socks,
                    const std::string& host, int port);

// Throws TransportError when a field of the handshake for host would not fit its
// length byte; Connect calls it before it even opens the connection to the proxy.
void CheckSocksFields(const SocksSettings& socks, const std::string& host);

// The request bytes, separate so they can be checked byte for byte. Both throw
// TransportError before anything is sent when a field does not fit its length byte.
std::string Socks4Request(const SocksSettings& socks, const std::string& host,
                          std::uint32_t resolvedAddress, int port);
std::string Socks5Request(const std::string& host, int port);

} // namespace pell::net
