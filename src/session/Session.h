#pragma once

#include "irc/Client.h"
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
#include "settings/ServerProfile.h"

#include <functional>
#include <memory>

namespace pell::session {

// Everything a session window's model needs from around it.
struct SessionContext {
    platform::GuiDispatcher& Gui;
    const settings::AppSettings& Settings;
    SessionShared& Shared;
    SessionPorts Ports;
    UserInfoModel& UserInfo;
    int ConnectTimeoutMs = SessionLifecycle::ConnectTimeoutMs;
    // Makes the engine's server connection; unset, the session connects over a socket.
    std::function<std::unique_ptr<net::LineTransport>()> Transport;
};

// One session window's models, assembled in one place: its engine, its tabs and lists,
// the presentation of the engine's events, the typed commands, template runs, its
// connection lifecycle and its DCC offers. Created from the pending profile, it connects
// at once; destroying it drops the connection and everything with it.
class Session {
public:
    // `attachView` is called with the model before the session connects, so the window
    // that shows it sees every line.
    Session(SessionContext context, const settings::ServerProfile& pendingProfile,
            const std::function<void(SessionModel&)>& attachView = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    irc::Client& Engine() { return engine_; }
    SessionModel& Model() { return model_; }
    SessionCommands& Commands() { return commands_; }
    TemplateRun& Templates() { return templates_; }
    SessionLifecycle& Lifecycle() { return lifecycle_; }
    DccOffers& Offers() { return offers_; }
    ChatOffers& Chats() { return chats_; }

private:
    // Where the engine's events reach the session (Session.cpp).
    class Listener;
    friend class Listener;

    // The model and the listener go last: the engine still reports into them while it
    // disconnects.
    SessionModel model_;
    std::unique_ptr<Listener> listener_;
    irc::Client engine_;
    SessionCommands commands_;
    TemplateRun templates_;
    SessionLifecycle lifecycle_;
    // Goes first: its transfers stop before the engine and the model go.
    DccOffers offers_;
    // Goes before the file side, whose question box it shares.
    ChatOffers chats_;
};

} // namespace pell::session
