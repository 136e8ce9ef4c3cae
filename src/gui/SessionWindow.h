#pragma once

#include "gui/UniformListView.h"
#include "session/SessionModel.h"
#include "session/SessionViewPort.h"

#include <QByteArray>
#include <QStringListModel>
#include <QTimer>
#include <QWidget>

#include <map>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QTabWidget;

namespace pell::gui {

class EntryListModel;
class NickListModel;
class TextView;

// The button captions of one language, read once when the window is made.
struct SessionCaptions {
    QString Join = QStringLiteral("Join");
    QString Leave = QStringLiteral("Leave");
    QString ChangeNick = QStringLiteral("Change Nick");
    QString ShowChannels = QStringLiteral("Show Channels");
    QString Run = QStringLiteral("Run");
    QString Userlist = QStringLiteral("Userlist");
    QString Clear = QStringLiteral("Clear");
    QString Reconnect = QStringLiteral("Reconnect");
    QString Close = QStringLiteral("Close");
    QString Action = QStringLiteral("Action");
    QString Save = QStringLiteral("Save");
};

enum class NickAction { Invite, SendFile, Chat, Voice, DeVoice, Op, DeOp, Ignore, Ban, Kick, Info, Unignore };

// The session window: draws a SessionModel and forwards every click, key and timer tick
// as a signal. Entries picked from lists travel as the bytes the model holds; typed
// text as QString (sent as UTF-8).
class SessionWindow : public QWidget, public session::SessionViewPort {
    Q_OBJECT
public:
    explicit SessionWindow(const SessionCaptions& captions, QWidget* parent = nullptr);
    ~SessionWindow() override;

    // Shows this model from now on; the model must outlive the window or be detached
    // with nullptr. Its view port should be this window.
    void attach(session::SessionModel* model);

    // What the model's view port reports.
    void tabsChanged() override;
    void activeTabChanged() override;
    void lineAppended(session::TabId tab, const session::FormattedLine& line) override;
    void textCleared(session::TabId tab) override;
    void nickListChanged(session::TabId tab) override;
    void ignoreListChanged() override;
    void rawLogAppended() override;
    void statusPanelChanged(int panel) override;
    void captionChanged() override;
    void channelBoxChanged() override;

    // Set by the models that own these values.
    void setInputText(std::string_view text);
    QString inputText() const;
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

    // For tests and tools: the widgets of a tab, nullptr for an unknown or ignore tab.
    QTabWidget* tabWidget() const { return tabs_; }
    TextView* textViewOf(session::TabId tab) const;
    QListView* nickViewOf(session::TabId tab) const;
    QLineEdit* inputLine() const { return input_; }
    QListView* ignoreView() const { return ignoreView_; }
    UniformListView* rawLogView() const { return rawView_; }
    QLabel* statusLabel(int panel) const { return status_.at(static_cast<std::size_t>(panel)); }
    QMenu* nickMenu() const { return nickMenu_; }
    QMenu* tabMenu() const { return tabMenu_; }
    QMenu* ignoreMenu() const { return ignoreMenu_; }
    // Runs a nick-list menu item on the active tab's selection, as the menu does.
    void triggerNickAction(NickAction action);

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
    void actionClicked(const QString& text);
    void inputEntered(const QString& text);
    void historyUp();
    void historyDown();
    // The user clicked a tab; the model decides what becomes active.
    void tabActivated(int index);
    // The tab bar's "Close": always the active tab, not the one under the mouse.
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
    struct Page {
        QWidget* Widget = nullptr;
        TextView* Text = nullptr;
        QListView* NickView = nullptr;
        NickListModel* Nicks = nullptr;
    };

    QWidget* buildTopBar(const SessionCaptions& captions);
    QWidget* buildInputBar(const SessionCaptions& captions);
    Page makeTextPage(const session::SessionTab& tab);
    QWidget* makeIgnorePage();
    void buildMenus();
    void syncIgnoreSelection();
    void flushRawLog();

    session::SessionModel* model_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::map<session::TabId, Page> pages_;
    QComboBox* channelBox_ = nullptr;
    QStringListModel* channelNames_ = nullptr;
    QComboBox* templateBox_ = nullptr;
    QCheckBox* away_ = nullptr;
    QLineEdit* input_ = nullptr;
    QListView* ignoreView_ = nullptr;
    EntryListModel* ignoreModel_ = nullptr;
    UniformListView* rawView_ = nullptr;
    EntryListModel* rawModel_ = nullptr;
    QMenu* nickMenu_ = nullptr;
    QMenu* tabMenu_ = nullptr;
    QMenu* ignoreMenu_ = nullptr;
    std::vector<QLabel*> status_;
    QTimer statusTimer_;
    QTimer closeTimer_;
    QTimer sendTimer_;
    QTimer rawFlush_;
};

} // namespace pell::gui
