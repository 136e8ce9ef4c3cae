#pragma once

#include "session/EventText.h"
#include "session/SessionModel.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pell::irc {
class Client;
}

namespace pell::session {

// Keeps a session connected. A connection that goes silent is tested with a PING and
// dropped when that gets no answer. With "Reconnect automatically" on, a connection lost
// without the user's QUIT is tried again after a wait that grows from 5 s to 5 minutes
// (with a little jitter), each try shown in "Main"; after registration the channels that
// were open are joined again with their keys. A ban, or too many failed tries, stops it.
// Driven by the session window's status tick.
class AutoReconnect {
public:
    struct Timing {
        std::int64_t FirstWaitMs = 5000;
        std::int64_t LongestWaitMs = 300000;
        int MostTries = 15;
        std::int64_t SilenceMs = 240000;   // no line for this long: send a PING
        std::int64_t PingAnswerMs = 60000; // no line for this long after it: lost
    };

    AutoReconnect(irc::Client& engine, SessionModel& model, const settings::AppSettings& settings);

    Timing Times;
    // A steady clock in milliseconds and a jitter in [-1, 1]; tests replace both.
    std::function<std::int64_t()> Now;
    std::function<double()> Jitter;
    // Starts a connect (the lifecycle's own, without a prompt on failure).
    std::function<void()> Connect;

    // What the session hears.
    void LineReceived();
    void Sent(const std::string& line);
    void Registered();
    void ServerError(const std::string& text);
    // The status tick.
    void Tick();

    // The user pressed "Reconnect": a wait is cancelled and the tries start over.
    void UserReconnect();
    // The window closes: nothing more is tried.
    void Stop();
    // A connect this class started failed. False when the connect was the user's.
    bool ConnectFailed(const std::string& why);

    bool Waiting() const { return retryAt_.has_value(); }
    // The wait before try `tries` (0 for the first), before jitter.
    std::int64_t WaitBefore(int tries) const;

private:
    void lost(std::int64_t now);
    void scheduleRetry(std::int64_t now);
    void say(EventKind kind, std::string_view a = {}, std::string_view b = {});

    irc::Client& engine_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    bool up_ = false;
    bool userQuit_ = false;
    bool stopped_ = false;
    bool automatic_ = false; // the connect under way is ours
    int tries_ = 0;
    std::optional<std::int64_t> retryAt_;
    std::int64_t lastLine_ = 0;
    std::optional<std::int64_t> pingSentAt_;
    // Channel (folded) -> the key it was joined with, from the JOIN lines sent.
    std::map<std::string, std::string> keys_;
    std::vector<std::pair<std::string, std::string>> rejoin_;
};

} // namespace pell::session
