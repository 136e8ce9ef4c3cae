#include "net/TcpConnection.h"

#include "net/TlsStream.h"
#include "net/TransportError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::net {

TcpConnection::TcpConnection() = default;

TcpConnection::TcpConnection(int socket)
{
    adopt(socket);
}

TcpConnection::~TcpConnection()
{
    closeSocket();
}

void TcpConnection::adopt(int socket)
{
    closeSocket();
    socket_ = socket;
    peerClosed_ = false;
    buffer_.clear();
    start_ = 0;
    scanned_ = 0;
}

void TcpConnection::closeSocket()
{
    if (tls_) {
        tls_->Close();
        tls_.reset();
    }
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

bool TcpConnection::Connected() const
{
    return socket_ >= 0 && !peerClosed_;
}

std::size_t TcpConnection::WaitForData(bool raiseIfDisconnected, int timeoutMs)
{
    if (socket_ < 0)
        throw TransportError::notConnected();
    if (timeoutMs < 0)
        timeoutMs = ReadTimeout;
    const int pollTimeout = timeoutMs > 0 ? timeoutMs : -1;

    pollfd pfd{socket_, POLLIN, 0};
    // TLS waits inside its read: bytes it has already decrypted leave nothing to poll.
    for (; !tls_;) {
        const int ready = ::poll(&pfd, 1, pollTimeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            throw TransportError::socket(errno);
        }
        if (ready == 0)
            throw TransportError::readTimeout();
        break;
    }

    compact();
    const std::size_t old = buffer_.size();
    const int size = ReadSize > 0 ? ReadSize : RecvBufferSize;
    const std::size_t chunk = size > 0 ? static_cast<std::size_t>(size) : 32768;
    buffer_.resize(old + chunk);
    ssize_t got;
    do {
        got = receive(buffer_.data() + old, chunk, timeoutMs);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        const int error = errno;
        buffer_.resize(old);
        if (error == ECONNRESET || error == EPIPE || error == ENOTCONN) {
            // The connection is gone either way, so Connected() must say so; but a reset
            // is not the orderly close that the connection-closed text claims.
            peerClosed_ = true;
            if (!raiseIfDisconnected)
                return 0;
            if (error == ECONNRESET)
                throw TransportError::socket(error);
            throw TransportError::connectionClosed();
        }
        throw TransportError::socket(error);
    }
    buffer_.resize(old + static_cast<std::size_t>(got));
    if (got == 0) {
        peerClosed_ = true;
        if (raiseIfDisconnected)
            throw TransportError::connectionClosed();
    }
    return static_cast<std::size_t>(got);
}

ssize_t TcpConnection::receive(char* out, std::size_t size, int timeoutMs)
{
    if (!tls_)
        return ::recv(socket_, out, size, 0);
    try {
        return tls_->Read(out, size, timeoutMs);
    } catch (const TransportError& error) {
        buffer_.resize(buffer_.size() - size);
        if (error.kind() != TransportError::Kind::ReadTimeout)
            peerClosed_ = true; // the stream cannot go on after a TLS error
        throw;
    }
}

std::string TcpConnection::ReadBytes(std::size_t count)
{
    while (BufferedCount() < count)
        WaitForData(true);
    std::string bytes = buffer_.substr(start_, count);
    start_ += count;
    scanned_ = 0;
    return bytes;
}

void TcpConnection::ReadInto(char* out, std::size_t count)
{
    while (BufferedCount() < count)
        WaitForData(true);
    std::copy_n(buffer_.data() + start_, count, out);
    start_ += count;
    scanned_ = 0;
}

bool TcpConnection::lineInBuffer(char terminator, std::size_t& end) const
{
    const std::size_t from = start_ + scanned_;
    const void* hit = from < buffer_.size()
        ? std::memchr(buffer_.data() + from, terminator, buffer_.size() - from)
        : nullptr;
    if (!hit)
        return false;
    end = static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data());
    return true;
}

std::string TcpConnection::takeLine(std::size_t end, char terminator)
{
    std::size_t length = end - start_;
    if (terminator == '\n' && length > 0 && buffer_[end - 1] == '\r')
        --length;
    std::string line = buffer_.substr(start_, length);
    start_ = end + 1;
    scanned_ = 0;
    return line;
}

bool TcpConnection::TakeBufferedLine(std::string& line, char terminator)
{
    std::size_t end;
    if (!lineInBuffer(terminator, end)) {
        scanned_ = BufferedCount();
        return false;
    }
    std::size_t length = end - start_;
    if (terminator == '\n' && length > 0 && buffer_[end - 1] == '\r')
        --length;
    if (MaxLineLength > 0 && length > static_cast<std::size_t>(MaxLineLength))
        return false; // too long: leave it to ReadLine, which applies the line action
    line = takeLine(end, terminator);
    return true;
}

std::string TcpConnection::ReadLine(char terminator, int timeoutMs, int maxLength)
{
    const std::size_t limit = static_cast<std::size_t>(maxLength < 0 ? MaxLineLength : maxLength);
    for (;;) {
        std::size_t end;
        const bool found = lineInBuffer(terminator, end);
        if (found) {
            std::size_t length = end - start_;
            if (terminator == '\n' && length > 0 && buffer_[end - 1] == '\r')
                --length;
            if (limit > 0 && length > limit) {
                if (LineAction == MaxLineAction::Error)
                    throw TransportError::lineTooLong();
                // Hand out the head; the rest is read as the next line.
                std::string head = buffer_.substr(start_, limit);
                start_ += limit;
                scanned_ = 0;
                return head;
            }
            return takeLine(end, terminator);
        }
        scanned_ = BufferedCount();
        // No terminator yet: an unfinished line already past the limit cannot become
        // acceptable, so decide now instead of buffering without end.
        if (limit > 0 && BufferedCount() > limit + 1) {
            if (LineAction == MaxLineAction::Error)
                throw TransportError::lineTooLong();
            std::string head = buffer_.substr(start_, limit);
            start_ += limit;
            scanned_ = 0;
            return head;
        }
        WaitForData(true, timeoutMs);
    }
}

void TcpConnection::WriteBytes(const void* data, std::size_t count)
{
    if (count == 0)
        return;
    if (!Connected())
        throw TransportError::notConnected();
    const char* bytes = static_cast<const char*>(data);
    if (tls_) {
        tls_->Write(bytes, count);
        return;
    }
    while (count > 0) {
        const ssize_t sent = ::send(socket_, bytes, count, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            throw TransportError::socket(errno);
        }
        bytes += sent;
        count -= static_cast<std::size_t>(sent);
    }
}

void TcpConnection::WriteLine(std::string_view text)
{
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text);
    line.append("\r\n");
    WriteBytes(line);
}

void TcpConnection::Shutdown()
{
    const int socket = socket_;
    if (socket >= 0) {
        // Count as closed at once: a server worker whose handler no longer reads
        // would otherwise go on calling it for ever.
        peerClosed_ = true;
        ::shutdown(socket, SHUT_RDWR);
    }
}

void TcpConnection::Disconnect()
{
    closeSocket();
    peerClosed_ = false;
    buffer_.clear();
    start_ = 0;
    scanned_ = 0;
    if (OnDisconnected)
        OnDisconnected();
}

void TcpConnection::StartTls(std::unique_ptr<TlsStream> tls)
{
    tls_ = std::move(tls);
}

std::string TcpConnection::TlsDescription() const
{
    return tls_ ? tls_->Description() : std::string();
}

void TcpConnection::TakeOver(TcpConnection& other)
{
    closeSocket();
    socket_ = other.socket_;
    tls_ = std::move(other.tls_);
    peerClosed_ = other.peerClosed_.load();
    buffer_ = std::move(other.buffer_);
    start_ = other.start_;
    scanned_ = other.scanned_;
    other.socket_ = -1;
    other.peerClosed_ = false;
    other.buffer_.clear();
    other.start_ = 0;
    other.scanned_ = 0;
}

void TcpConnection::compact()
{
    if (start_ == 0)
        return;
    if (start_ >= buffer_.size()) {
        buffer_.clear();
        start_ = 0;
        return;
    }
    if (start_ > buffer_.size() / 2 || start_ > 65536) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
}

} // namespace pell::net
