#pragma once

#include "gui/SessionWindow.h"
#include "session/Session.h"
#include "session/SessionCommands.h"
#include "session/SessionEvents.h"
#include "session/TemplateRun.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

namespace pell::gui {

class DirectChatWindow;

// What every session window shares with the rest of the program.
struct SessionEnvironment {
    platform::GuiDispatcher& Gui;
    settings::AppSettings& Settings;
    session::SessionShared& Shared;
    platform::Desktop& Desktop;
    platform::UserPrompts& Prompts;
    platform::SaveFileDialog& SaveDialog;
    session::UserInfoModel& UserInfo;
    const settings::TemplateStore& Templates;
};

// One session window: the Qt window inside the main window's area, the session's
// models, and the wires between them. It goes away (later, from the event loop) once
// the window's close was allowed, taking the connection with it.
class SessionController : public QObject {
    Q_OBJECT
public:
    SessionController(const SessionEnvironment& environment, QMdiArea* area, const settings::ServerProfile& profile);
    ~SessionController() override;

    SessionWindow* window() const { return window_; }
    session::Session& session() { return *session_; }
    session::TemplateRun& templateRun() { return session_->Templates(); }

private:
    void wireWindow();
    void wireNickActions();
    int rowOfActiveEntry(const QByteArray& entry) const;
    void closeRequested(bool* allowed);
    void wireTransfers();
    void showTransfer(QWidget* window, std::function<void()> closeModel);
    void sendFileTo(const QByteArray& entry);
    void wireChats();
    void showChat(DirectChatWindow* window);
    void chatWith(const QByteArray& entry);

    SessionEnvironment environment_;
    QPointer<QMdiSubWindow> frame_;
    QMdiArea* area_;
    std::vector<QPointer<QMdiSubWindow>> transferFrames_;
    SessionWindow* window_ = nullptr; // owned by frame_
    std::unique_ptr<session::Session> session_;
    // The template box's names, as the store holds them; read once at creation.
    std::vector<std::string> templateNames_;
};

} // namespace pell::gui
