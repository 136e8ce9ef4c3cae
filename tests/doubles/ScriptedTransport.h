#pragma once

#include "net/TransportError.h"
#include "net/LineTransport.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pell::test {

// A server connection without a socket: the test plays the server's lines, at once and
// on its own thread, and takes the lines the engine wrote. An open succeeds at once; an
// asynchronous one waits for Finish.
class ScriptedTransport : public net::LineTransport {
public:
    // One for an engine to own; `handle` points at it.
    static std::unique_ptr<ScriptedTransport> Make(ScriptedTransport*& handle)
    {
        auto made = std::make_unique<ScriptedTransport>();
        handle = made.get();
        return made;
    }
    // The server's lines as one burst: a line that closes the connection drops the rest.
    void Say(const std::vector<std::string>& lines)
    {
        const int closes = Closes;
        const LineHandler handler = handler_; // a line may close, and even reopen, under us
        for (std::size_t i = 0; i < lines.size() && connected_ && handler && Closes == closes; ++i)
            handler(lines[i]);
    }
    void Hangup() { connected_ = false; } // the server closes the connection
    // Ends the pending asynchronous open, with an error or connected.
    void Finish(std::exception_ptr error = nullptr)
    {
        connected_ = !error;
        if (const OpenDone done = std::exchange(done_, nullptr))
            done(error);
    }
    // The lines written since the last call, without CR LF.
    std::vector<std::string> Written() { return std::exchange(written_, {}); }

    net::LineEndpoint OpenedTo;
    int Closes = 0;

    void Open(const net::LineEndpoint& to, int) override
    {
        Close(false);
        OpenedTo = to;
        connected_ = true;
    }
    void OpenAsync(const net::LineEndpoint& to, int, OpenDone done) override
    {
        Close(false);
        OpenedTo = to;
        done_ = std::move(done);
    }
    void CancelOpen() override { done_ = nullptr; }
    bool Opening() const override { return done_ != nullptr; }
    void StartReading(LineHandler handler) override { handler_ = std::move(handler); }
    void WriteLine(std::string_view line) override
    {
        if (!connected_)
            throw net::TransportError::notConnected();
        written_.emplace_back(line);
    }
    bool Connected() const override { return connected_; }
    void Close(bool) override
    {
        ++Closes;
        connected_ = false;
        handler_ = nullptr;
        done_ = nullptr;
    }
    std::string LocalAddress() const override { return "127.0.0.1"; }

private:
    bool connected_ = false;
    LineHandler handler_;
    OpenDone done_;
    std::vector<std::string> written_;
};

} // namespace pell::test
