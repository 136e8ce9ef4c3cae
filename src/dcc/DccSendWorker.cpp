#include "dcc/DccSendWorker.h"

#include "dcc/DccNumbers.h"
#include "dcc/DccReceiveWorker.h"
#include "net/TransportError.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace pell::dcc {

namespace {

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

void check(bool ownerThere)
{
    if (!ownerThere)
        throw OwnerGone();
}

} // namespace

void ServeFile(net::TcpConnection& connection, const std::string& path, std::uint64_t size, int ackWaitMs,
               const SendReports& reports)
{
    const ReadOnlyFile file(path);
    std::array<char, 8192> block{};
    check(reports.StartClock());
    std::uint64_t sent = 0;
    check(reports.Progress(sent));
    for (;;) {
        if (sent < size) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - sent));
            const std::size_t got = file.readAt(block.data(), n, sent);
            if (got < n) {
                // The file shrank since it was offered: what follows would not be it.
                check(reports.Status("File ended early: " + std::to_string(sent + got) + " of " +
                                     std::to_string(size) + " bytes"));
                throw std::runtime_error("file ended early");
            }
            connection.WriteBytes(block.data(), n);
            sent += n;
            check(reports.Progress(sent));
        }
        try {
            connection.WaitForData(true, ackWaitMs);
        } catch (const net::TransportError& error) {
            if (error.kind() != net::TransportError::Kind::ReadTimeout)
                throw;
        }
        if (connection.BufferedCount() >= 4) {
            std::uint32_t ack = 0;
            while (connection.Connected() && connection.BufferedCount() >= 4) {
                unsigned char bytes[4];
                connection.ReadInto(reinterpret_cast<char*>(bytes), 4);
                ack = DecodeAck(bytes);
            }
            check(reports.Status("Remote CRC = " + std::to_string(ack) + " local = " + std::to_string(sent)));
        }
    }
}

} // namespace pell::dcc
