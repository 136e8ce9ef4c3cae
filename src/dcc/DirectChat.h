#pragma once

#include "dcc/ChatLines.h"
#include "dcc/DccText.h"
#include "net/NonBlockingClient.h"

#include <functional>
#include <string>

namespace pell::dcc {

// The connecting side of a direct chat: a non-blocking client on the GUI thread that
// takes at most one line per poll, whatever ends it (CR LF or a bare LF). Received
// lines keep the carriage return before their line feed. A partner that closes, or a
// connection that fails, is said in the window; send failures pass silently.
class DirectChat {
public:
    static constexpr int PollInterval = 1000;         // ms between polls
    static constexpr std::size_t MaxPending = 32768;  // bytes without a line feed shown as a line

    DirectChat();
    DirectChat(const DirectChat&) = delete;
    DirectChat& operator=(const DirectChat&) = delete;

    std::string Host;
    int Port = 0;
    std::string RemoteNick;
    std::string OwnNick;
    std::string ReceiveBuffer;
    // The language of the window's own notes, asked as each is written.
    std::function<Language()> LanguageNow = [] { return Language::English; };

    std::string Caption() const { return captioned_ ? "Direct Chat [" + RemoteNick + "]" : "Direct Chat"; }
    ChatLines& Lines() { return lines_; }

    // Starts the connection without waiting for it.
    void Connect();
    // The timer's tick.
    void onPollTick() { client_.PollLine("\n"); }
    // Shows the line and sends it without waiting; lost when the connection is not up
    // or the partner does not read.
    void Send(const std::string& text);
    void Close() { client_.Close(); }

private:
    void receive(const char* data, std::size_t n);
    void ended(int errorNumber);

    net::NonBlockingClient client_;
    ChatLines lines_;
    bool captioned_ = false;
};

} // namespace pell::dcc
