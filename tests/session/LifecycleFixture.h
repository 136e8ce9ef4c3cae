#pragma once

#include "platform/EventQueue.h"
#include "session/Session.h"
#include "session/SessionFakes.h"

#include <memory>
#include <string>
#include <vector>

namespace pell::session::testing {

// Session models on a hand-pumped GUI thread with recording and scripted ports.
struct LifecycleFixture {
    platform::EventQueue gui;
    settings::AppSettings settings;
    SessionShared shared;
    RecordingView view;
    FakeDesktop desktop;
    FakePrompts prompts;
    FakeSaveDialog saveDialog;
    int connectTimeoutMs = SessionLifecycle::ConnectTimeoutMs;
    // Declared last: sessions go before the ports they report to.
    std::vector<std::unique_ptr<Session>> sessions;

    static settings::TSSettings profile(int port, const std::string& nick = "alice")
    {
        settings::TSSettings p;
        p.Name = "Test net";
        p.Host = "127.0.0.1";
        p.Port = port;
        p.Nick = nick;
        p.RealName = "Alice A";
        p.Username = "al";
        return p;
    }

    Session& open(const settings::TSSettings& pending, const PresentationBinder& binder = {})
    {
        SessionContext context{gui, settings, shared, SessionPorts{view, desktop, prompts, saveDialog},
                               connectTimeoutMs};
        sessions.push_back(std::make_unique<Session>(context, pending, binder));
        return *sessions.back();
    }

    // The status panel after a tick of the status timer.
    static std::string statusAfterTick(Session& session, int panel = 0)
    {
        session.Lifecycle().onStatusTick();
        return session.Model().StatusPanel(panel);
    }

    bool connectEnded(Session& session, int milliseconds = 5000)
    {
        return gui.pumpUntil([&] { return !session.Engine().ConnectPending(); },
                             std::chrono::milliseconds(milliseconds));
    }
};

} // namespace pell::session::testing
