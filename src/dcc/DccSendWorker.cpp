#include "dcc/DccSendWorker.h"

#include "dcc/DccNumbers.h"
#include "dcc/DccReceiveWorker.h"
#include "net/Resolver.h"
#include "net/TransportError.h"

#include <array>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace pell::dcc {

namespace {

using Clock = std::chrono::steady_clock;

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        if (fd_ < 0)
            throw std::system_error(errno, std::generic_category(), path);
    }
    ~ReadOnlyFile() { ::close(fd_); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Reads up to count bytes at offset; fewer only at the end of the file.
    std::size_t readAt(char* out, std::size_t count, std::uint64_t offset) const
    {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw std::system_error(errno, std::generic_category(), "read");
            if (got == 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

private:
    int fd_;
};

// Thrown when a receiver is dropped for acknowledging nothing; its line is already out.
struct ReceiverIdle : std::exception {};

void check(bool ownerThere)
{
    if (!ownerThere)
        throw OwnerGone();
}

class Serving {
public:
    Serving(net::TcpConnection& connection, SendTiming timing, TransferReports& reports)
        : connection_(connection), timing_(timing), reports_(reports), lastAck_(Clock::now())
    {
    }

    // Writes the block without ever blocking for longer than the receiver may stay
    // silent.
    void write(const char* data, std::size_t count)
    {
        while (count > 0) {
            if (!connection_.Connected())
                throw net::TransportError::notConnected();
            const ssize_t sent = ::send(connection_.socketHandle(), data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                data += sent;
                count -= static_cast<std::size_t>(sent);
                continue;
            }
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                throw net::TransportError::socket(errno);
            pollfd pfd{connection_.socketHandle(), POLLOUT, 0};
            if (::poll(&pfd, 1, std::min(idleLeft(), timing_.AckWaitMs)) == 0)
                readAcks(1); // a receiver slow to read may still be acknowledging
        }
    }

    // Waits up to ms for acknowledgements and reads those that came; the reports that
    // wait for the window go first, before the worker sits idle.
    void readAcks(int ms)
    {
        checkIdle();
        ms = std::min(ms, idleLeft());
        const int due = reports_.DueIn();
        if (due >= 0 && due < ms) {
            if (due == 0 || !waitFor(due)) {
                reports_.Flush();
                waitFor(ms - due);
            }
        } else if (ms > 0) {
            waitFor(ms);
        }
        if (connection_.BufferedCount() < 4)
            return;
        std::uint32_t ack = 0;
        while (connection_.Connected() && connection_.BufferedCount() >= 4) {
            unsigned char bytes[4];
            connection_.ReadInto(reinterpret_cast<char*>(bytes), 4);
            ack = DecodeAck(bytes);
        }
        lastAck_ = Clock::now();
        check(reports_.Status(Same("Remote CRC = " + std::to_string(ack) + " local = " + std::to_string(sent))));
    }

    std::uint64_t sent = 0;

private:
    bool waitFor(int ms)
    {
        if (ms <= 0)
            return false;
        try {
            connection_.WaitForData(true, ms);
            return true;
        } catch (const net::TransportError& error) {
            if (error.kind() != net::TransportError::Kind::ReadTimeout)
                throw;
            return false;
        }
    }

    int idleLeft() const
    {
        const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastAck_).count();
        return std::max<int>(0, timing_.AckIdleMs - static_cast<int>(quiet));
    }

    void checkIdle()
    {
        if (idleLeft() > 0)
            return;
        check(reports_.Status(Both(DccMessage::NoAcknowledgement,
                                   {net::PeerOf(connection_.socketHandle()), std::to_string(timing_.AckIdleMs / 1000)})));
        throw ReceiverIdle();
    }

    net::TcpConnection& connection_;
    SendTiming timing_;
    TransferReports& reports_;
    Clock::time_point lastAck_;
};

} // namespace

void ServeFile(net::TcpConnection& connection, const std::string& path, std::uint64_t size, std::uint64_t from,
               SendTiming timing, TransferReports& reports, const std::function<bool()>& startClock)
{
    const ReadOnlyFile file(path);
    std::array<char, 8192> block{};
    check(startClock());
    Serving serving(connection, timing, reports);
    serving.sent = std::min(from, size);
    check(reports.Progress(serving.sent));
    try {
        for (;;) {
            if (serving.sent < size) {
                const std::size_t n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - serving.sent));
                const std::size_t got = file.readAt(block.data(), n, serving.sent);
                if (got < n) {
                    // The file shrank since it was offered: what follows would not be it.
                    check(reports.Status(Both(DccMessage::FileEndedEarly,
                                              {std::to_string(serving.sent + got), std::to_string(size)})));
                    throw std::runtime_error("file ended early");
                }
                serving.write(block.data(), n);
                serving.sent += n;
                check(reports.Progress(serving.sent));
            }
            serving.readAcks(timing.AckWaitMs);
        }
    } catch (const ReceiverIdle&) {
        connection.Shutdown();
        throw std::runtime_error("receiver idle");
    }
}

} // namespace pell::dcc
