#pragma once

#include "dcc/ChatLines.h"
#include "dcc/DccText.h"
#include "dcc/ListenPort.h"
#include "net/TcpServer.h"
#include "platform/GuiDispatcher.h"
#include "platform/WorkerLink.h"

#include <functional>
#include <memory>
#include <string>

namespace pell::dcc {

// The listening side of a direct chat: whoever connects is a partner, each served by
// its own worker; a typed line goes to every partner. Lives on the GUI thread;
// destroying it stops the server, and no report reaches it afterwards.
class DirectChatListener {
public:
    static constexpr int CloseInterval = 2000;       // ms before a refused close is tried again
    static constexpr std::size_t MaxPartners = 8;   // connections served at once

    explicit DirectChatListener(platform::GuiDispatcher& gui);
    ~DirectChatListener();
    DirectChatListener(const DirectChatListener&) = delete;
    DirectChatListener& operator=(const DirectChatListener&) = delete;

    std::string RemoteNick;
    std::string OwnNick;
    int Port = 0;
    // The language of the window's own notes, asked as each is written.
    std::function<Language()> LanguageNow = [] { return Language::English; };

    std::string Caption() const { return captioned_ ? "Direct Chat [" + RemoteNick + "]" : "Direct Chat"; }
    ChatLines& Lines() { return lines_; }
    std::size_t Partners() const { return server_.ConnectionCount(); }

    // Listens on the next free port from NextListenPort; false when there is none.
    bool StartListen(PortRange range = {});
    // Shows the line and writes it to every partner without ever waiting: a partner
    // whose socket cannot take the whole line (it stopped reading) is disconnected.
    void Send(const std::string& text);

    // The first phase of closing: partners are disconnected and the close timer runs;
    // true when none was connected, so the window may close now.
    bool CloseRequest();
    bool CloseTimerRunning() const { return closeTimer_; }
    // The close timer's tick: stops the timer and asks the window to close again.
    void onCloseTimer();

    std::function<void()> RequestClose;
    std::function<void()> TimerChanged;

private:
    void serve(net::TcpServerWorker& worker);

    platform::GuiDispatcher& gui_;
    ChatLines lines_;
    bool captioned_ = false;
    bool closeTimer_ = false;
    std::shared_ptr<platform::WorkerLink> link_ = platform::WorkerLink::create();
    net::TcpServer server_;
};

} // namespace pell::dcc
