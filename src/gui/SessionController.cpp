#include "gui/SessionController.h"

#include "gui/DirectChatWindow.h"
#include "gui/MainWindow.h"
#include "gui/TextDecoding.h"
#include "gui/TransferWindow.h"
#include "session/ButtonCaptions.h"
#include "session/NickPrefix.h"

#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace pell::gui {

namespace {

std::string bytesOf(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

SessionController::SessionController(const SessionEnvironment& environment, QMdiArea* area,
                                     const settings::ServerProfile& profile)
    : environment_(environment), area_(area)
{
    window_ = new SessionWindow(session::ButtonCaptionsFor(environment_.Settings.Language));
    frame_ = area->addSubWindow(window_);
    // This controller deletes the frame, after the models that still report into it.
    frame_->setAttribute(Qt::WA_DeleteOnClose, false);
    frame_->resize(893, 533);
    wireWindow();

    session::SessionContext context{environment_.Gui, environment_.Settings, environment_.Shared,
                                    session::SessionPorts{*window_, environment_.Desktop, environment_.Prompts,
                                                          environment_.SaveDialog},
                                    environment_.UserInfo};
    // The window must show the model before the first line reaches it.
    session_ = std::make_unique<session::Session>(
        context, profile, [this](session::SessionModel& model) { window_->attach(&model); });
    session::TemplateRun& templates = session_->Templates();
    templates.TimerChanged = [this, &templates] {
        window_->setSendTimer(templates.SendTimerRunning(), templates.SendInterval());
    };
    // Templates saved later are not seen by this window.
    templateNames_ = environment_.Templates.sortedNames();
    window_->setTemplateNames(templateNames_);
    wireTransfers();
    wireChats();

    session::SessionLifecycle& lifecycle = session_->Lifecycle();
    lifecycle.TimersChanged = [this] {
        window_->setStatusTimerRunning(session_->Lifecycle().StatusTimerRunning());
        window_->setCloseTimerRunning(session_->Lifecycle().CloseTimerRunning());
    };
    lifecycle.RequestClose = [this] {
        if (frame_)
            frame_->close();
    };
    lifecycle.TimersChanged();
    frame_->show();
    window_->setFocus();
    if (auto* main = qobject_cast<MainWindow*>(area->window()); main && main->isVisible())
        main->fitSessionWindows();
}

SessionController::~SessionController()
{
    // A run under way stops with its window.
    session_->Templates().TimerChanged = nullptr;
    // Transfers stop before their windows go, so no report finds a window half gone.
    session_->Offers().CloseAll();
    session_->Chats().CloseAll();
    for (auto& transfer : transferFrames_)
        delete transfer.data();
    session_.reset();
    if (window_)
        window_->attach(nullptr);
    delete frame_.data();
}

void SessionController::wireWindow()
{
    SessionWindow* w = window_;
    connect(w, &SessionWindow::joinClicked, this, [this](const QString& channel) { session_->Commands().Join(toBytes(channel)); });
    connect(w, &SessionWindow::leaveClicked, this, [this] { session_->Commands().Leave(); });
    connect(w, &SessionWindow::changeNickClicked, this, [this] { session_->Commands().ChangeNick(); });
    connect(w, &SessionWindow::showChannelsClicked, this, [this] { session_->Commands().ShowChannels(); });
    connect(w, &SessionWindow::awayToggled, this, [this](bool away) { session_->Commands().AwayChanged(away); });
    connect(w, &SessionWindow::userlistClicked, this, [this] { session_->Commands().Userlist(); });
    connect(w, &SessionWindow::clearClicked, this, [this] { session_->Model().ClearActive(); });
    connect(w, &SessionWindow::saveClicked, this, [this] { session_->Model().SaveActive(); });
    connect(w, &SessionWindow::reconnectClicked, this, [this] { session_->Lifecycle().Reconnect(); });
    connect(w, &SessionWindow::closeClicked, this, [this] {
        if (frame_)
            frame_->close();
    });
    connect(w, &SessionWindow::inputEdited, this,
            [this](const QString& text) { session_->Commands().SetInputLine(toBytes(text)); });
    connect(w, &SessionWindow::inputEntered, this, [this] { session_->Commands().Enter(); });
    connect(w, &SessionWindow::actionClicked, this, [this] { session_->Commands().Action(); });
    connect(w, &SessionWindow::historyUp, this, [this] { session_->Commands().HistoryUp(); });
    connect(w, &SessionWindow::historyDown, this, [this] { session_->Commands().HistoryDown(); });
    connect(w, &SessionWindow::tabActivated, this, [this](int index) { session_->Model().UserSelectsTab(index); });
    connect(w, &SessionWindow::tabCloseRequested, this, [this](session::TabId) { session_->Commands().CloseTab(); });
    connect(w, &SessionWindow::linkClicked, this, [this](const QString& url) { session_->Model().OpenLink(toBytes(url)); });
    connect(w, &SessionWindow::ignoreEntrySelected, this, [this](int row) { session_->Model().SelectIgnoreEntry(row); });
    connect(w, &SessionWindow::ignoreDeleteRequested, this, [this] { session_->Commands().DeleteIgnoreEntry(); });
    connect(w, &SessionWindow::statusTimerTick, this, [this] { session_->Lifecycle().onStatusTick(); });
    connect(w, &SessionWindow::closeTimerTick, this, [this] { session_->Lifecycle().onCloseTimer(); });
    connect(w, &SessionWindow::runClicked, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(templateNames_.size()))
            session_->Templates().Run(environment_.Templates, templateNames_[static_cast<std::size_t>(index)]);
    });
    connect(w, &SessionWindow::sendTimerTick, this, [this] { session_->Templates().onSendTimerTick(); });
    connect(w, &SessionWindow::closeRequested, this, &SessionController::closeRequested);
    wireNickActions();
}

void SessionController::wireNickActions()
{
    connect(window_, &SessionWindow::nickDoubleClicked, this, [this](const QByteArray& entry) {
        session_->Commands().OpenQuery(rowOfActiveEntry(entry));
    });
    connect(window_, &SessionWindow::nickActionTriggered, this, [this](NickAction action, const QByteArray& entry) {
        const int row = rowOfActiveEntry(entry);
        session::SessionCommands& c = session_->Commands();
        switch (action) {
        case NickAction::Invite: c.Invite(row); break;
        case NickAction::Voice: c.Voice(row); break;
        case NickAction::DeVoice: c.DeVoice(row); break;
        case NickAction::Op: c.Op(row); break;
        case NickAction::DeOp: c.DeOp(row); break;
        case NickAction::Ignore: c.Ignore(row); break;
        case NickAction::Unignore: c.Unignore(row); break;
        case NickAction::Ban: c.Ban(row); break;
        case NickAction::Kick: c.Kick(row); break;
        case NickAction::Info: c.Info(row); break;
        case NickAction::SendFile: sendFileTo(entry); break;
        case NickAction::Chat: chatWith(entry); break;
        }
    });
}

void SessionController::wireTransfers()
{
    session::DccOffers& offers = session_->Offers();
    offers.DownloadOpened = [this](dcc::DccDownload& download) {
        showTransfer(TransferWindow::forDownload(download), [this, &download] { session_->Offers().Close(&download); });
    };
    offers.SendOpened = [this](dcc::DccSend& send) {
        showTransfer(TransferWindow::forSend(send), [this, &send] { session_->Offers().Close(&send); });
    };
}

void SessionController::wireChats()
{
    session::ChatOffers& chats = session_->Chats();
    // Queued: a listening window closes from inside its model's own timer tick.
    chats.ChatOpened = [this](dcc::DirectChat& chat) {
        auto* window = DirectChatWindow::forChat(chat);
        connect(window, &DirectChatWindow::closed, this, [this, &chat] { session_->Chats().Close(&chat); },
                Qt::QueuedConnection);
        showChat(window);
    };
    chats.ListenerOpened = [this](dcc::DirectChatListener& listener) {
        auto* window = DirectChatWindow::forListener(listener);
        connect(window, &DirectChatWindow::closed, this,
                [this, &listener] { session_->Chats().Close(&listener); }, Qt::QueuedConnection);
        showChat(window);
    };
}

// Shown before the model connects or listens: the caption follows once the event
// loop runs again.
void SessionController::showChat(DirectChatWindow* window)
{
    QMdiSubWindow* frame = area_->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose, true);
    std::erase_if(transferFrames_, [](const QPointer<QMdiSubWindow>& f) { return f.isNull(); });
    transferFrames_.emplace_back(frame);
    frame->show();
    QPointer<DirectChatWindow> alive(window);
    QMetaObject::invokeMethod(window, [alive] {
        if (alive)
            alive->refreshCaption();
    }, Qt::QueuedConnection);
}

void SessionController::chatWith(const QByteArray& entry)
{
    if (rowOfActiveEntry(entry) >= 0)
        session_->Chats().OfferChat(session::StripNickPrefix(bytesOf(entry), session_->Model().Tabs().PrefixSymbols()));
}

void SessionController::showTransfer(QWidget* window, std::function<void()> closeModel)
{
    QMdiSubWindow* frame = area_->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose, true);
    connect(static_cast<TransferWindow*>(window), &TransferWindow::closed, this, std::move(closeModel));
    std::erase_if(transferFrames_, [](const QPointer<QMdiSubWindow>& f) { return f.isNull(); });
    transferFrames_.emplace_back(frame);
    frame->show();
}

void SessionController::sendFileTo(const QByteArray& entry)
{
    if (rowOfActiveEntry(entry) < 0)
        return;
    const QString path = QFileDialog::getOpenFileName(window_, QStringLiteral("Open"), QString(),
                                                      QStringLiteral("All Files (*)"));
    if (!path.isEmpty())
        session_->Offers().OfferFile(session::StripNickPrefix(bytesOf(entry), session_->Model().Tabs().PrefixSymbols()),
                                     toBytes(path));
}

int SessionController::rowOfActiveEntry(const QByteArray& entry) const
{
    session::SessionTabs& tabs = session_->Model().Tabs();
    const session::SessionTab& tab = tabs.Active();
    if (!tab.Nicks)
        return -1;
    const auto& entries = tab.Nicks->Entries();
    const auto found = std::find(entries.begin(), entries.end(), bytesOf(entry));
    return found == entries.end() ? -1 : static_cast<int>(found - entries.begin());
}

// Every close request stops a template run, also one that is refused while QUIT goes
// out: no template line may follow the QUIT.
void SessionController::closeRequested(bool* allowed)
{
    session_->Templates().Stop();
    *allowed = session_->Lifecycle().CloseRequest();
    if (!*allowed)
        return;
    session_->Lifecycle().Closed();
    // Not from inside this call chain: a close timer tick or a model may still be on
    // the stack.
    deleteLater();
}

} // namespace pell::gui
