#pragma once

#include "platform/UserPrompts.h"
#include "settings/AppSettings.h"
#include "settings/TemplateStore.h"

#include <cstddef>
#include <functional>
#include <string>

namespace pell::irc {
class Client;
}

namespace pell::session {

class SessionCommands;

// A template being run in one session window: a copy of its lines and the next one to
// send. The view owns the send timer; it asks whether the timer should run, and with
// which interval, and calls the tick.
class TemplateRun {
public:
    TemplateRun(irc::Client& irc, SessionCommands& commands, const settings::AppSettings& settings,
                platform::UserPrompts& prompts);

    // "Run" with the name chosen in the template box: the first template of that name,
    // from its first line, also when a run is under way.
    void Run(const settings::TemplateStore& store, const std::string& name);
    // Sends the next line while connected; stops at the end or when not connected.
    void onSendTimerTick();
    // The window is closing.
    void Stop();

    bool SendTimerRunning() const { return running_; }
    int SendInterval() const { return interval_; }
    std::size_t TemplateIndex() const { return index_; }
    const settings::Lines& TemplateQueue() const { return queue_; }
    // The view re-reads the timer when this fires.
    std::function<void()> TimerChanged;

private:
    void setRunning(bool running);

    irc::Client& irc_;
    SessionCommands& commands_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    settings::Lines queue_;
    std::size_t index_ = 0;
    int interval_ = 0;
    bool running_ = false;
};

} // namespace pell::session
