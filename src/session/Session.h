#pragma once

#include "irc/TIdIRC.h"
#include "platform/GuiDispatcher.h"
#include "session/ChatOffers.h"
#include "session/DccOffers.h"
#include "session/SessionCommands.h"
#include "session/SessionEvents.h"
#include "session/SessionLifecycle.h"
#include "session/SessionModel.h"
#include "session/TemplateRun.h"
#include "session/UserInfoModel.h"
#include "settings/AppSettings.h"
#include "settings/TSSettings.h"

#include <functional>
#include <memory>

namespace pell::session {

// Attaches the window that shows the model (and whatever else reacts to the engine's
// events). Called once, before the session binds its own handlers and connects.
using PresentationBinder = std::function<void(irc::TIdIRC&, SessionModel&)>;

// Everything a session window's model needs from around it.
struct SessionContext {
    platform::GuiDispatcher& Gui;
    const settings::AppSettings& Settings;
    SessionShared& Shared;
    SessionPorts Ports;
    UserInfoModel& UserInfo;
    int ConnectTimeoutMs = SessionLifecycle::ConnectTimeoutMs;
    // Makes the engine's server connection; unset, the engine uses a socket.
    std::function<std::unique_ptr<irc::LineTransport>()> Transport;
};

// One session window's models, assembled in one place: its engine, its tabs and lists,
// the presentation of the engine's events, the typed commands, template runs, its
// connection lifecycle and its DCC offers. Created from the pending profile, it connects
// at once; destroying it drops the connection and everything with it.
class Session {
public:
    Session(SessionContext context, const settings::TSSettings& pendingProfile,
            const PresentationBinder& bindPresentation = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    irc::TIdIRC& Engine() { return engine_; }
    SessionModel& Model() { return model_; }
    SessionCommands& Commands() { return commands_; }
    TemplateRun& Templates() { return templates_; }
    SessionLifecycle& Lifecycle() { return lifecycle_; }
    DccOffers& Offers() { return offers_; }
    ChatOffers& Chats() { return chats_; }

private:
    // The model and the events go last: the engine still reports into them while it
    // disconnects.
    SessionModel model_;
    SessionEvents events_;
    irc::TIdIRC engine_;
    SessionCommands commands_;
    TemplateRun templates_;
    SessionLifecycle lifecycle_;
    // Goes first: its transfers stop before the engine and the model go.
    DccOffers offers_;
    // Goes before the file side, whose question box it shares.
    ChatOffers chats_;
};

} // namespace pell::session
