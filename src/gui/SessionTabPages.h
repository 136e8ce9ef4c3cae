#pragma once

#include "session/SessionModel.h"

#include <QByteArray>
#include <QTabWidget>

#include <map>

class QListView;
class QMenu;

namespace pell::gui {

class EntryListModel;
class NickListModel;
class TextView;

enum class NickAction { Invite, SendFile, Chat, Voice, DeVoice, Op, DeOp, Ignore, Ban, Kick, Info, Unignore };

// The tab pages of a session window: a text view with its nick list for each text tab,
// the ignore list for the ignore tab, and the menus of the tab bar, the nick lists and
// the ignore list. Pages follow the model's tabs; what the user does goes out as signals.
class SessionTabPages : public QTabWidget {
    Q_OBJECT
public:
    explicit SessionTabPages(QWidget* parent = nullptr);
    ~SessionTabPages() override;

    // Shows this model's tabs from now on (nullptr: none).
    void attach(session::SessionModel* model);

    // What the model's view port reports about tabs.
    void tabsChanged();
    void activeTabChanged();
    void lineAppended(session::TabId tab);
    void textCleared(session::TabId tab);
    void nickListChanged(session::TabId tab);
    void ignoreListChanged();

    // The widgets of a tab, nullptr for an unknown or ignore tab.
    TextView* textViewOf(session::TabId tab) const;
    QListView* nickViewOf(session::TabId tab) const;
    QListView* ignoreView() const { return ignoreView_; }
    QMenu* nickMenu() const { return nickMenu_; }
    QMenu* tabMenu() const { return tabMenu_; }
    QMenu* ignoreMenu() const { return ignoreMenu_; }
    // Runs a nick-list menu item on the active tab's selection, as the menu does.
    void triggerNickAction(NickAction action);

signals:
    // The user clicked a tab; the model decides what becomes active.
    void tabActivated(int index);
    // The tab bar's "Close": always the active tab, not the one under the mouse.
    void tabCloseRequested(session::TabId tab);
    void linkClicked(const QString& url);
    void nickActionTriggered(pell::gui::NickAction action, const QByteArray& entry);
    void nickDoubleClicked(const QByteArray& entry);
    void ignoreEntrySelected(int index);
    void ignoreDeleteRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Page {
        QWidget* Widget = nullptr;
        TextView* Text = nullptr;
        QListView* NickView = nullptr;
        NickListModel* Nicks = nullptr;
    };

    void buildMenus();
    Page makeTextPage(const session::SessionTab& tab);
    QWidget* makeIgnorePage();
    void dropPage(Page& page);
    void syncIgnoreSelection();

    session::SessionModel* model_ = nullptr;
    std::map<session::TabId, Page> pages_;
    QListView* ignoreView_ = nullptr;
    EntryListModel* ignoreModel_ = nullptr;
    QMenu* nickMenu_ = nullptr;
    QMenu* tabMenu_ = nullptr;
    QMenu* ignoreMenu_ = nullptr;
};

} // namespace pell::gui
