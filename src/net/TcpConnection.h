#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace pell::net {

class TlsStream;

enum class MaxLineAction {
    Error, // an over-long line is an error
    Split, // an over-long line is returned cut at the limit
};

// A blocking TCP connection with an input buffer and line reading, encrypted once TLS
// is started on it. One thread reads while another may write; Shutdown may come from
// any thread and wakes a blocked read.
class TcpConnection {
public:
    TcpConnection();
    // Takes over an already connected socket (an accepted one, say).
    explicit TcpConnection(int socket);
    virtual ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // The socket's buffer sizes (0 leaves them to the kernel); RecvBufferSize is also
    // the most one socket read takes unless ReadSize says otherwise.
    int RecvBufferSize = 32768;
    int SendBufferSize = 32768;
    int ReadSize = 0; // bytes one socket read takes at most; 0: RecvBufferSize
    int ReadTimeout = 0; // milliseconds; 0 waits without limit
    int MaxLineLength = 16384;
    MaxLineAction LineAction = MaxLineAction::Error;

    // Fires on every Disconnect, also when the connection was never open.
    std::function<void()> OnDisconnected;

    bool Connected() const;

    // Waits up to timeoutMs (negative: ReadTimeout; 0 there means no limit) for the
    // socket to become readable, then reads once into the input buffer and returns the
    // byte count. Peer closed: throws (when raiseIfDisconnected) or returns 0.
    std::size_t WaitForData(bool raiseIfDisconnected = true, int timeoutMs = -1);

    std::size_t BufferedCount() const { return buffer_.size() - start_; }
    std::string ReadBytes(std::size_t count);
    std::string ReadText(std::size_t count) { return ReadBytes(count); }
    // ReadBytes into the caller's buffer, without allocating.
    void ReadInto(char* out, std::size_t count);

    // One line without its terminator; with the line feed as terminator a carriage
    // return before it goes too. maxLength < 0 means MaxLineLength.
    std::string ReadLine(char terminator = '\n', int timeoutMs = -1, int maxLength = -1);

    // Takes a complete line that is already buffered, without touching the socket.
    bool TakeBufferedLine(std::string& line, char terminator = '\n');

    void WriteBytes(const void* data, std::size_t count);
    void WriteBytes(std::string_view bytes) { WriteBytes(bytes.data(), bytes.size()); }
    // The text followed by CR LF, in one write.
    void WriteLine(std::string_view text);

    // Wakes any thread blocked on this connection; the socket stays allocated until
    // Disconnect, so no other thread can see its number reused.
    void Shutdown();
    void Disconnect();

    // Takes the other connection's socket together with whatever it has buffered but
    // not yet handed out (bytes a proxy sent right after its reply, say); the other is
    // left closed. Neither connection may be in use on another thread.
    void TakeOver(TcpConnection& other);

    int socketHandle() const { return socket_; }

    // From now on every byte goes through the TLS stream made on this socket; nothing
    // may be buffered unread. Not while another thread uses the connection.
    void StartTls(std::unique_ptr<TlsStream> tls);
    bool Encrypted() const { return tls_ != nullptr; }
    // "TLSv1.3, TLS_AES_256_GCM_SHA384"; empty when not encrypted.
    std::string TlsDescription() const;

protected:
    void adopt(int socket);
    void closeSocket();

private:
    bool lineInBuffer(char terminator, std::size_t& end) const;
    std::string takeLine(std::size_t end, char terminator);
    void compact();

    ssize_t receive(char* out, std::size_t size, int timeoutMs);

    int socket_ = -1;
    std::unique_ptr<TlsStream> tls_;
    std::atomic<bool> peerClosed_{false};
    std::string buffer_;
    std::size_t start_ = 0; // bytes before this index are consumed
    std::size_t scanned_ = 0; // bytes from start_ already searched for a terminator
};

} // namespace pell::net
