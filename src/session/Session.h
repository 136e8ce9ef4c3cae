#pragma once

#include "irc/TIdIRC.h"
#include "platform/GuiDispatcher.h"
#include "session/ChatOffers.h"
#include "session/DccOffers.h"
#include "session/SessionLifecycle.h"
#include "session/SessionModel.h"
#include "settings/AppSettings.h"
#include "settings/TSSettings.h"

#include <functional>
#include <memory>

namespace pell::session {

// Binds the engine's events to the presentation of one window (and whatever else
// reacts to them). Called once, before the window configures and connects its engine.
using PresentationBinder = std::function<void(irc::TIdIRC&, SessionModel&)>;

// Everything a session window's model needs from around it.
struct SessionContext {
    platform::GuiDispatcher& Gui;
    const settings::AppSettings& Settings;
    SessionShared& Shared;
    SessionPorts Ports;
    int ConnectTimeoutMs = SessionLifecycle::ConnectTimeoutMs;
    // Makes the engine's server connection; unset, the engine uses a socket.
    std::function<std::unique_ptr<irc::LineTransport>()> Transport;
};

// The model of one session window: its engine, its tabs and lists, and its connection
// lifecycle. Created from the pending profile, it connects at once; destroying it
// drops the connection and everything with it.
class Session {
public:
    Session(SessionContext context, const settings::TSSettings& pendingProfile,
            const PresentationBinder& bindPresentation = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    irc::TIdIRC& Engine() { return engine_; }
    SessionModel& Model() { return model_; }
    SessionLifecycle& Lifecycle() { return lifecycle_; }
    DccOffers& Offers() { return offers_; }
    ChatOffers& Chats() { return chats_; }

private:
    // The model goes last: the engine still reports into it while it disconnects.
    SessionModel model_;
    irc::TIdIRC engine_;
    SessionLifecycle lifecycle_;
    // Goes first: its transfers stop before the engine and the model go.
    DccOffers offers_;
    // Goes before the file side, whose question box it shares.
    ChatOffers chats_;
};

} // namespace pell::session
