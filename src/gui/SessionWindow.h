#pragma once

#include "gui/SessionTabPages.h"
#include "session/ButtonCaptions.h"
#include "session/SessionModel.h"
#include "session/SessionViewPort.h"

#include <QTimer>
#include <QWidget>

#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace pell::gui {

class ChannelBoxModel;
class RawLogPanel;
class UniformListView;

// The session window: its frame and bars (channel box, buttons, template box, input line,
// status bar) around the tab pages (SessionTabPages) and the raw log (RawLogPanel). It
// draws a SessionModel and forwards every click, key and timer tick as a signal. Entries
// picked from lists travel as the bytes the model holds; typed text as QString (sent as
// UTF-8). The input line's text belongs to the model: edits go out as they happen, and
// the model's changes come back through inputLineChanged.
class SessionWindow : public QWidget, public session::SessionViewPort {
    Q_OBJECT
public:
    // The buttons' captions are read once, here.
    explicit SessionWindow(const session::ButtonCaptions& captions = session::EnglishButtonCaptions,
                           QWidget* parent = nullptr);
    ~SessionWindow() override;

    // Shows this model from now on; the model must outlive the window or be detached
    // with nullptr. Its view port should be this window.
    void attach(session::SessionModel* model);

    // What the model's view port reports.
    void tabsChanged() override { pages_->tabsChanged(); }
    void activeTabChanged() override { pages_->activeTabChanged(); }
    void lineAppended(session::TabId tab, const session::FormattedLine&) override { pages_->lineAppended(tab); }
    void textCleared(session::TabId tab) override { pages_->textCleared(tab); }
    void nickListChanged(session::TabId tab) override { pages_->nickListChanged(tab); }
    void ignoreListChanged() override { pages_->ignoreListChanged(); }
    void rawLogAppended() override;
    void statusPanelChanged(int panel) override;
    void captionChanged() override;
    void channelBoxChanged() override;
    void inputLineChanged(std::string_view text) override;

    // Set by the models that own these values.
    QString channelBoxText() const;
    void setTemplateNames(const std::vector<std::string>& names);
    void setStatusTimerRunning(bool running);
    void setCloseTimerRunning(bool running);
    // A running send timer starts over with the interval given.
    void setSendTimer(bool running, int intervalMs);
    bool isStatusTimerRunning() const { return statusTimer_.isActive(); }
    bool isCloseTimerRunning() const { return closeTimer_.isActive(); }
    bool isSendTimerRunning() const { return sendTimer_.isActive(); }
    QComboBox* templateBox() const { return templateBox_; }

    // For tests and tools: the parts of the window.
    SessionTabPages* tabWidget() const { return pages_; }
    TextView* textViewOf(session::TabId tab) const { return pages_->textViewOf(tab); }
    QListView* nickViewOf(session::TabId tab) const { return pages_->nickViewOf(tab); }
    QLineEdit* inputLine() const { return input_; }
    QListView* ignoreView() const { return pages_->ignoreView(); }
    UniformListView* rawLogView() const;
    QLabel* statusLabel(int panel) const { return status_.at(static_cast<std::size_t>(panel)); }
    QMenu* nickMenu() const { return pages_->nickMenu(); }
    QMenu* tabMenu() const { return pages_->tabMenu(); }
    QMenu* ignoreMenu() const { return pages_->ignoreMenu(); }
    void triggerNickAction(NickAction action) { pages_->triggerNickAction(action); }

signals:
    void joinClicked(const QString& channel);
    void leaveClicked();
    void changeNickClicked();
    void showChannelsClicked();
    void awayToggled(bool away);
    void runClicked(int templateIndex);
    void userlistClicked();
    void clearClicked();
    void reconnectClicked();
    void closeClicked();
    void saveClicked();
    // The user changed the input line's text.
    void inputEdited(const QString& text);
    void actionClicked();
    void inputEntered();
    void historyUp();
    void historyDown();
    // From the tab pages.
    void tabActivated(int index);
    void tabCloseRequested(session::TabId tab);
    void linkClicked(const QString& url);
    void nickActionTriggered(pell::gui::NickAction action, const QByteArray& entry);
    void nickDoubleClicked(const QByteArray& entry);
    void ignoreEntrySelected(int index);
    void ignoreDeleteRequested();
    void statusTimerTick();
    void closeTimerTick();
    void sendTimerTick();
    // A close from the frame, the main window or close(); a slot may set *allowed to
    // false to keep the window open.
    void closeRequested(bool* allowed);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTopBar(const session::ButtonCaptions& captions);
    QWidget* buildInputBar(const session::ButtonCaptions& captions);
    QWidget* buildStatusBar();
    void forwardPageSignals();

    session::SessionModel* model_ = nullptr;
    SessionTabPages* pages_ = nullptr;
    RawLogPanel* rawLog_ = nullptr;
    QComboBox* channelBox_ = nullptr;
    ChannelBoxModel* channelNames_ = nullptr;
    QComboBox* templateBox_ = nullptr;
    QCheckBox* away_ = nullptr;
    QLineEdit* input_ = nullptr;
    std::vector<QLabel*> status_;
    QTimer statusTimer_;
    QTimer closeTimer_;
    QTimer sendTimer_;
};

} // namespace pell::gui
