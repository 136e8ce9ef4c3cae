#include "net/SocketLineTransport.h"

#include "net/LocalAddress.h"
#include "net/TransportError.h"
#include "platform/GuiDispatcher.h"
#include "platform/WorkerLink.h"

#include <vector>

namespace pell::net {

namespace {

// Lines handed to the GUI thread in one go when the server sends a burst: each hand-over
// costs both threads a wake-up, so a burst goes in batches, bounded in bytes too so that
// a server's longest lines cannot make one batch large. Larger batches were faster still
// but held more memory during a flood.
constexpr std::size_t kMaxBatchLines = 512;
constexpr std::size_t kMaxBatchBytes = 128 * 1024;

// How long an orderly close waits for queued lines (a QUIT, say) to go out.
constexpr std::chrono::milliseconds kCloseFlush{500};

} // namespace

// A connect under way on its helper thread. The helper touches only this record.
struct SocketLineTransport::PendingOpen {
    net::TcpClient client;
    std::shared_ptr<platform::WorkerLink> link = platform::WorkerLink::create();
    std::thread thread;
};

SocketLineTransport::SocketLineTransport(platform::GuiDispatcher& gui) : gui_(gui)
{
    socket_.OnWaiting = [this] { gui_.processEvents(); };
}

SocketLineTransport::~SocketLineTransport()
{
    CancelOpen();
    stopWorkers();
}

void SocketLineTransport::configure(net::TcpClient& client, const LineEndpoint& to) const
{
    client.Host = to.Host;
    client.Port = to.Port;
    client.BoundIP = to.BoundIP;
    client.SocksInfo = to.Socks;
    client.Tls = to.Tls;
    client.ReadTimeout = 0;
    client.LineAction = net::MaxLineAction::Error;
    // A server's burst (a channel list, a busy channel) is read in large pieces: with
    // small reads a 15 MB list took 60 % longer to arrive.
    client.RecvBufferSize = 256 * 1024;
}

void SocketLineTransport::Open(const LineEndpoint& to, int timeoutMs)
{
    CancelOpen();
    stopWorkers();
    readerFailed_ = false;
    viaProxy_ = to.Socks.Version != net::SocksVersion::None;
    configure(socket_, to);
    socket_.Connect(timeoutMs);
}

void SocketLineTransport::OpenAsync(const LineEndpoint& to, int timeoutMs, OpenDone done)
{
    CancelOpen();
    stopWorkers();
    if (socket_.socketHandle() >= 0)
        socket_.Disconnect();
    readerFailed_ = false;
    viaProxy_ = to.Socks.Version != net::SocksVersion::None;
    configure(socket_, to);

    auto job = std::make_shared<PendingOpen>();
    configure(job->client, to);
    job->client.RecvBufferSize = socket_.RecvBufferSize;
    job->client.SendBufferSize = socket_.SendBufferSize;
    pending_ = job;
    pendingDone_ = std::move(done);

    // The helper thread never touches the transport: only its report does, on the GUI
    // thread, and the transport cancels the link before it goes.
    platform::GuiDispatcher& gui = gui_;
    job->thread = std::thread([this, &gui, job, timeoutMs] {
        std::exception_ptr error;
        try {
            job->client.Connect(timeoutMs);
        } catch (...) {
            error = std::current_exception();
        }
        job->link->post(gui, [this, job, error] { opened(job, error); });
    });
}

void SocketLineTransport::opened(const std::shared_ptr<PendingOpen>& job, std::exception_ptr error)
{
    if (pending_ != job)
        return;
    job->thread.join(); // it has only to return
    pending_.reset();
    OpenDone done = std::move(pendingDone_);
    pendingDone_ = nullptr;
    if (!error)
        socket_.TakeOver(job->client);
    if (done)
        done(error);
}

void SocketLineTransport::CancelOpen()
{
    if (!pending_)
        return;
    const auto job = std::move(pending_);
    pendingDone_ = nullptr;
    job->link->cancel();
    job->client.Abort();
    // A host name lookup cannot be interrupted: waiting for it here would hold the
    // window for as long as a dead name server takes. The helper finishes on its own;
    // it holds its job, and the cancelled link keeps it from reporting.
    if (job->thread.joinable())
        job->thread.detach();
}

void SocketLineTransport::StartReading(LineHandler handler)
{
    writer_.Start();
    readerLink_ = platform::WorkerLink::create();
    auto shared = std::make_shared<const LineHandler>(std::move(handler));
    reader_ = std::thread([this, link = readerLink_, shared] { readLoop(link, shared); });
}

void SocketLineTransport::Close(bool flush)
{
    CancelOpen();
    if (flush && socket_.Connected())
        writer_.Flush(kCloseFlush);
    stopWorkers();
    socket_.Disconnect();
}

std::string SocketLineTransport::LocalAddress() const
{
    return net::LocalAddressOf(socket_.socketHandle(), viaProxy_);
}

void SocketLineTransport::stopWorkers()
{
    if (readerLink_)
        readerLink_->cancel();
    socket_.Shutdown(); // wakes a send stuck on a peer that stopped reading, too
    writer_.Stop();
    if (reader_.joinable())
        reader_.join();
    readerLink_.reset();
}

void SocketLineTransport::readLoop(const std::shared_ptr<platform::WorkerLink>& link,
                                   const std::shared_ptr<const LineHandler>& handler)
{
    try {
        while (!link->cancelled()) {
            // The batch is made once a line is in: nothing of ours sits on the heap
            // while the reader waits, however the wait ends.
            std::string first = socket_.ReadLine();
            auto batch = std::make_shared<std::vector<std::string>>();
            std::size_t bytes = first.size();
            batch->push_back(std::move(first));
            std::string more;
            while (batch->size() < kMaxBatchLines && bytes < kMaxBatchBytes && socket_.TakeBufferedLine(more)) {
                bytes += more.size();
                batch->push_back(std::move(more));
            }
            // Each line is handled as if alone; a line that closes the connection (or
            // destroys the engine) cancels the link, and the rest of the batch is dropped.
            // The routine holds the handler: such a line lets this thread end under it.
            const bool ran = link->runAndWait(gui_, [batch, link, handler] {
                for (const std::string& line : *batch) {
                    if (link->cancelled())
                        return;
                    (*handler)(line);
                }
            });
            if (!ran || !socket_.Connected())
                return;
        }
    } catch (const net::TransportError&) {
        // Closed, reset or an over-long line: the reader ends without an event; the
        // owner sees Connected() turn false, and the server sees us leave.
        readerFailed_ = true;
        socket_.Shutdown();
    }
}

} // namespace pell::net
