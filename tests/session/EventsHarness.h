#pragma once

#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "session/SessionEvents.h"
#include "session/SessionFakes.h"
#include "support/FakeServer.h"

#include <string>
#include <vector>

namespace pell::session::testing {

// A session model whose events are bound to a real engine, registered as "me" on a
// FakeServer. Lines travel through the socket and the reader thread like a server's.
struct EventsHarness : SessionFixture {
    EventsHarness();
    ~EventsHarness();

    // Sends the lines and waits until the engine has handled every one of them.
    void serverSends(const std::vector<std::string>& lines);
    // The lines written since the last call, in order, as "tab|text|colour word".
    std::vector<std::string> newLines();
    std::vector<std::string> nicksOf(const std::string& caption);

    test::FakeServer fake;
    platform::EventQueue queue;
    irc::TIdIRC irc{queue};
    SessionEvents events{irc, model, settings};

private:
    std::size_t seen_ = 0;
};

} // namespace pell::session::testing
