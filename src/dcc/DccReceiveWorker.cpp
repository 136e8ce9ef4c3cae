#include "dcc/DccReceiveWorker.h"

#include "dcc/DccNumbers.h"
#include "net/TransportError.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace pell::dcc {

DccReceiveWorker::DccReceiveWorker(DownloadOffer offer, DownloadRules rules, ReceiveTiming timing, Reports reports)
    : offer_(std::move(offer)), rules_(std::move(rules)), timing_(timing), reports_(std::move(reports))
{
    client_.RecvBufferSize = 4096;
    client_.SendBufferSize = 4096;
}

void DccReceiveWorker::Run()
{
    try {
        receive();
    } catch (const OwnerGone&) {
    } catch (const std::exception& error) {
        try {
            status(error.what());
        } catch (const OwnerGone&) {
        }
    }
    if (file_ >= 0)
        ::close(file_);
    file_ = -1;
    disconnect();
}

void DccReceiveWorker::Abort()
{
    std::lock_guard lock(closing_);
    if (!closed_)
        client_.Abort();
}

void DccReceiveWorker::disconnect()
{
    std::lock_guard lock(closing_);
    client_.Disconnect();
    closed_ = true;
}

void DccReceiveWorker::receive()
{
    client_.Host = offer_.Host;
    client_.Port = offer_.Port;
    progress();
    client_.Connect();
    if (!client_.Connected())
        return;
    file_ = CreateDownloadFile(DownloadFolderFor(offer_.FileName, rules_), SafeFileName(offer_.FileName), path_);
    status(path_);
    unacked_ = 0;
    received_ = 0;
    // The first wait ends like the later ones, so a sender that sends nothing (a file
    // of 0 bytes) does not hold the worker for ever.
    std::size_t n = nextWait();
    while (client_.Connected() && n > 0) {
        status("before read " + std::to_string(n));
        client_.ReadInto(buffer_.data(), n);
        status("after read buffer");
        store(n);
        progress();
        status("after write stream");
        if (unacked_ >= 4096)
            sendAck("checksum: ");
        n = nextWait();
    }
    if (client_.Connected()) {
        sendAck("FINAL checksum: ");
        status("wrote FINAL checksum");
        disconnect();
    }
}

// How many bytes are buffered after the waits of the protocol; 0 when the sender has
// fallen silent.
std::size_t DccReceiveWorker::nextWait()
{
    // A sender that waits for each acknowledgement would stall for the idle time per
    // block: acknowledge what is stored as soon as nothing more comes.
    if (unacked_ > 0 && !waitFor(timing_.QuietAckMs))
        sendAck("checksum: ");
    if (client_.BufferedCount() > 0 || waitFor(timing_.IdleTimeoutMs))
        return client_.BufferedCount();
    if (unacked_ > 0) {
        sendAck("checksum: ");
        return 0;
    }
    return waitFor(timing_.IdleTimeoutMs) ? client_.BufferedCount() : 0;
}

// True when data arrived in time; a read time-out is no error here.
bool DccReceiveWorker::waitFor(int ms)
{
    if (client_.BufferedCount() > 0)
        return true;
    try {
        client_.WaitForData(true, ms);
        return true;
    } catch (const net::TransportError& error) {
        if (error.kind() != net::TransportError::Kind::ReadTimeout)
            throw;
        return false;
    }
}

void DccReceiveWorker::store(std::size_t count)
{
    std::size_t written = 0;
    while (written < count) {
        const ssize_t done = ::write(file_, buffer_.data() + written, count - written);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), path_);
        }
        written += static_cast<std::size_t>(done);
    }
    unacked_ += count;
    received_ += count;
}

// The acknowledgement carries what is stored; its lines say so under the given word.
void DccReceiveWorker::sendAck(const char* sizeWord)
{
    unacked_ = 0;
    const std::uint64_t stored = received_;
    status("stream size: " + std::to_string(stored));
    const auto ack = EncodeAck(stored);
    status(sizeWord + std::to_string(stored));
    std::this_thread::sleep_for(std::chrono::milliseconds(timing_.AckPauseMs));
    client_.WriteBytes(ack.data(), ack.size());
}

void DccReceiveWorker::status(const std::string& line)
{
    if (reports_.Status && !reports_.Status(line))
        throw OwnerGone();
}

void DccReceiveWorker::progress()
{
    if (reports_.Progress && !reports_.Progress(received_))
        throw OwnerGone();
}

} // namespace pell::dcc
