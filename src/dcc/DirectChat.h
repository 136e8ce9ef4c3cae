#pragma once

#include "dcc/ChatLines.h"
#include "net/NonBlockingClient.h"

#include <string>

namespace pell::dcc {

// The connecting side of a direct chat: a non-blocking client on the GUI thread that
// takes at most one line per poll. Received lines keep the carriage return before
// their line feed. Failures pass silently: the window just shows nothing more.
class DirectChat {
public:
    static constexpr int PollInterval = 1000;         // ms between polls
    static constexpr std::size_t MaxPending = 32768;  // bytes without a line feed shown as a line

    DirectChat() { client_.OnReceive = [this](const char* data, std::size_t n) { receive(data, n); }; }
    DirectChat(const DirectChat&) = delete;
    DirectChat& operator=(const DirectChat&) = delete;

    std::string Host;
    int Port = 0;
    std::string RemoteNick;
    std::string OwnNick;
    std::string ReceiveBuffer;

    std::string Caption() const { return captioned_ ? "Direct Chat [" + RemoteNick + "]" : "Direct Chat"; }
    ChatLines& Lines() { return lines_; }

    // Starts the connection without waiting for it.
    void Connect();
    // The timer's tick.
    void onPollTick() { client_.PollLine("\r\n"); }
    // Shows the line and sends it without waiting; lost when the connection is not up
    // or the partner does not read.
    void Send(const std::string& text);
    void Close() { client_.Close(); }

private:
    void receive(const char* data, std::size_t n);

    net::NonBlockingClient client_;
    ChatLines lines_;
    bool captioned_ = false;
};

} // namespace pell::dcc
