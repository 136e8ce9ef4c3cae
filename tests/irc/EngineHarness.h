#pragma once

#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "support/FakeServer.h"

#include <string>
#include <vector>

namespace pell::test {

// An engine connected to a FakeServer and registered as "me" by ":srv 001", with every
// event bound to a recorder that writes one text line per event, for example
// "Join bob #c" or "Kick alice bob #c". Null records show as "-". Sent lines are kept
// without their line end.
class EngineHarness {
public:
    EngineHarness();
    ~EngineHarness();

    // Feeds one server line through the whole engine.
    void line(const std::string& text) { irc.HandleLine(text); }
    // Feeds each line; returns the events they raised.
    std::vector<std::string> feed(const std::vector<std::string>& lines);
    void clear()
    {
        events.clear();
        sent.clear();
    }
    // Binds OnChannelUpdate on the engine: channels made from now on report as
    // "Update #c <type> <nick> <info>".
    void recordChannelUpdates();

    FakeServer fake;
    platform::EventQueue queue;
    irc::TIdIRC irc{queue};
    std::vector<std::string> events;
    std::vector<std::string> sent;
};

// Binds every event of the engine (but OnSend) to a recorder writing into events.
void recordEvents(irc::TIdIRC& irc, std::vector<std::string>& events);

// A user's nick or a channel's name, "-" for null.
std::string nameOf(const irc::TIdIRCUser* user);
std::string nameOf(const irc::TIdIRCChannel* channel);

} // namespace pell::test
