#include "dcc/DccReceiveWorker.h"

#include "dcc/DccNumbers.h"
#include "net/Resolver.h"
#include "net/TransportError.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace pell::dcc {

DccReceiveWorker::DccReceiveWorker(DownloadOffer offer, DownloadRules rules, ReceiveTiming timing,
                                   TransferReports& reports)
    : offer_(std::move(offer)), rules_(std::move(rules)), timing_(timing), reports_(reports)
{
    // Reads of 4096 bytes, as the protocol's acknowledgements count them; the socket's
    // buffers are left to the kernel, so a sender that does not wait for acknowledgements
    // is drained as fast as it writes.
    client_.RecvBufferSize = 0;
    client_.SendBufferSize = 0;
    client_.ReadSize = static_cast<int>(ReadSize);
}

void DccReceiveWorker::Run()
{
    try {
        receive();
    } catch (const OwnerGone&) {
    } catch (const net::TransportError& error) {
        try {
            status({error.english(), error.what()});
        } catch (const OwnerGone&) {
        }
    } catch (const std::exception& error) {
        try {
            status(Same(error.what()));
        } catch (const OwnerGone&) {
        }
    }
    if (file_ >= 0)
        ::close(file_);
    file_ = -1;
    disconnect();
    // A file that ends short is said plainly, whatever ended the transfer.
    const auto announced = static_cast<std::uint64_t>(std::max<std::int64_t>(offer_.FileSize, 0));
    if (!path_.empty() && received_ < announced)
        reports_.Status(Both(DccMessage::FileIncomplete, {std::to_string(received_), std::to_string(announced)}));
}

void DccReceiveWorker::Abort()
{
    std::lock_guard lock(closing_);
    aborted_ = true;
    answered_.notify_all();
    listener_.Abort();
    if (!closed_)
        client_.Abort();
}

void DccReceiveWorker::ResumeAccepted()
{
    std::lock_guard lock(closing_);
    resumeAccepted_ = true;
    answered_.notify_all();
}

bool DccReceiveWorker::waitForResumeAnswer()
{
    std::unique_lock lock(closing_);
    return answered_.wait_for(lock, std::chrono::milliseconds(timing_.PeerWaitMs),
                              [this] { return resumeAccepted_ || aborted_; }) &&
           !aborted_;
}

std::optional<int> DccReceiveWorker::Listen(PortRange range)
{
    return OpenListener(listener_, range);
}

// Connects to the sender, or takes the sender's connection to our listener.
bool DccReceiveWorker::connect()
{
    if (!offer_.Passive()) {
        client_.Host = offer_.Host;
        client_.Port = offer_.Port;
        client_.Connect();
        return client_.Connected();
    }
    status(Both(DccMessage::WaitingForSender, {offer_.Nick, std::to_string(listener_.Port())}));
    const int socket = listener_.Accept(timing_.PeerWaitMs);
    listener_.Close(); // one sender only
    if (socket < 0) {
        status(Both(DccMessage::NobodyConnected, {std::to_string(timing_.PeerWaitMs / 1000)}));
        return false;
    }
    net::TcpConnection accepted(socket);
    client_.TakeOver(accepted);
    status(Both(DccMessage::ChatConnected, {net::PeerOf(client_.socketHandle())}));
    return true;
}

void DccReceiveWorker::disconnect()
{
    std::lock_guard lock(closing_);
    client_.Disconnect();
    closed_ = true;
}

void DccReceiveWorker::receive()
{
    const std::uint64_t from = offer_.ResumeFrom;
    if (from > 0 && !waitForResumeAnswer()) {
        status(Both(DccMessage::NoResumeAnswer, {std::to_string(from)}));
        return;
    }
    received_ = from;
    progress();
    if (!connect())
        return;
    const std::string folder = DownloadFolderFor(offer_.FileName, rules_);
    file_ = from > 0 ? OpenForResume(folder, SafeFileName(offer_.FileName), from, path_)
                     : CreateDownloadFile(folder, SafeFileName(offer_.FileName), path_);
    status(Same(path_));
    if (from > 0)
        status(Both(DccMessage::ResumingAt, {std::to_string(from)}));
    unacked_ = 0;
    const auto announced = static_cast<std::uint64_t>(std::max<std::int64_t>(offer_.FileSize, 0));
    // The first wait ends like the later ones, so a sender that sends nothing (a file
    // of 0 bytes) does not hold the worker for ever.
    std::size_t n = nextWait();
    while (client_.Connected() && n > 0) {
        status(Same("before read " + std::to_string(n)));
        client_.ReadInto(buffer_.data(), n);
        status(Same("after read buffer"));
        // Nothing past the announced size is stored: a peer must not fill the disk.
        const std::size_t kept = announced > 0 ? static_cast<std::size_t>(std::min<std::uint64_t>(n, announced - received_)) : n;
        store(kept);
        progress();
        status(Same("after write stream"));
        if (announced > 0 && received_ == announced) {
            if (kept < n)
                status(Both(DccMessage::MoreThanAnnounced, {std::to_string(n - kept), std::to_string(announced)}));
            finish();
            return;
        }
        if (unacked_ >= 4096)
            sendAck("checksum: ");
        n = nextWait();
    }
    if (client_.Connected())
        finish();
}

void DccReceiveWorker::finish()
{
    sendAck("FINAL checksum: ");
    status(Same("wrote FINAL checksum"));
    disconnect();
}

// How many bytes are buffered after the waits of the protocol; 0 when the sender has
// fallen silent.
std::size_t DccReceiveWorker::nextWait()
{
    if (waitFor(timing_.QuietAckMs))
        return client_.BufferedCount();
    // A sender that waits for each acknowledgement would stall for the idle time per
    // block: acknowledge what is stored as soon as nothing more comes. That counts as
    // the acknowledgement after the first idle time-out, so one time-out then ends.
    const bool tailAcknowledged = unacked_ > 0;
    if (tailAcknowledged)
        sendAck("checksum: ");
    if (waitFor(timing_.IdleTimeoutMs))
        return client_.BufferedCount();
    if (tailAcknowledged)
        return 0;
    return waitFor(timing_.IdleTimeoutMs) ? client_.BufferedCount() : 0;
}

// True when data arrived in time; a read time-out is no error here. Reports waiting for
// the window go before the worker sits idle.
bool DccReceiveWorker::waitFor(int ms)
{
    if (client_.BufferedCount() > 0)
        return true;
    const int due = reports_.DueIn();
    if (due < 0)
        return poll(ms);
    if (due >= ms)
        return poll(ms); // the next wait hands them over
    if (due > 0 && poll(due))
        return true;
    reports_.Flush();
    return poll(ms - due);
}

bool DccReceiveWorker::poll(int ms)
{
    try {
        client_.WaitForData(true, std::max(ms, 1));
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
    status(Same("stream size: " + std::to_string(stored)));
    const auto ack = EncodeAck(stored);
    status(Same(sizeWord + std::to_string(stored)));
    client_.WriteBytes(ack.data(), ack.size());
}

void DccReceiveWorker::status(StatusLine line)
{
    if (!reports_.Status(std::move(line)))
        throw OwnerGone();
}

void DccReceiveWorker::progress()
{
    if (!reports_.Progress(received_))
        throw OwnerGone();
}

} // namespace pell::dcc
