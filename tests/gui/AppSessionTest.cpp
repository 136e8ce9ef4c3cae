// The whole program against a real ngircd: start-up, a session window in a channel,
// and closing the program. What the user sees is read from the windows and the
// session models; what went out is read at a second, plain client on the server.

#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "gui/MainWindow.h"
#include "gui/SessionController.h"
#include "gui/SessionWindow.h"
#include "gui/SplashWindow.h"

#include "settings/SettingsTestSupport.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using namespace pell;
using namespace pell::test;

namespace {

constexpr int kWaitMs = 10000;

struct Entry {
    std::string name;
    bool autoConnect;
    std::string nick;
};

// A program folder with a server list for one ngircd and, optionally, Color.dat.
class Home {
public:
    Home(int port, const std::vector<Entry>& entries)
    {
        std::string slist;
        for (const Entry& e : entries)
            for (const std::string& line : {e.name, std::string("127.0.0.1"), std::to_string(port),
                                            std::string(e.autoConnect ? "True" : "False"), e.nick, e.nick, e.nick,
                                            std::string(), std::string("False"), std::string("False"),
                                            std::string("False"), std::string("False")})
                slist += line + "\r\n";
        writeBytes(folder_.file("SList.dat"), slist);
    }
    // Own, others, system and action colours, the script delay and the language.
    void colours(std::int32_t others, int language)
    {
        writeBytes(folder_.file("Color.dat"), "16744576\r\n" + std::to_string(others) + "\r\n32768\r\n255\r\n2500\r\n"
                                                  + std::to_string(language) + "\r\n");
    }
    std::string folder() const { return folder_.folder(); }

private:
    TempFolder folder_;
};

// Answers the program's prompts as a user would: types the answer into a text prompt
// and accepts it; a message box (an error) is recorded and dismissed.
class PromptAnswerer : public QObject {
public:
    explicit PromptAnswerer(QString answer) : answer_(std::move(answer))
    {
        connect(&timer_, &QTimer::timeout, this, &PromptAnswerer::answerOpenPrompts);
        timer_.start(10);
    }
    QStringList asked; // caption and label of every prompt seen

private:
    void answerOpenPrompts()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            if (auto* prompt = qobject_cast<QInputDialog*>(window)) {
                asked << prompt->windowTitle() + "|" + prompt->labelText();
                auto* field = prompt->findChild<QLineEdit*>();
                QTest::keyClicks(field, answer_);
                prompt->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(window)) {
                asked << box->windowTitle() + "|" + box->text();
                box->reject();
            }
        }
    }

    QString answer_;
    QTimer timer_;
};

gui::SessionWindow* windowOf(gui::SessionController* session) { return session->window(); }

QStringList buttonCaptions(const gui::SessionWindow* window)
{
    QStringList captions;
    for (const QPushButton* button : window->findChildren<QPushButton*>())
        captions << button->text();
    captions.sort();
    return captions;
}

QPushButton* button(const gui::SessionWindow* window, const QString& caption)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

bool connected(gui::SessionController* session)
{
    return windowOf(session)->statusLabel(0)->text() == QStringLiteral("Connected");
}

// Types a channel name into the channel box and presses the join button.
void join(gui::SessionController* session, const QString& channel)
{
    gui::SessionWindow* window = windowOf(session);
    QComboBox* box = nullptr;
    for (QComboBox* combo : window->findChildren<QComboBox*>())
        if (combo->isEditable())
            box = combo;
    QVERIFY(box);
    QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box->lineEdit(), channel);
    QCOMPARE(window->channelBoxText(), channel);
    QTest::mouseClick(button(window, QStringLiteral("Join")), Qt::LeftButton);
}

const session::SessionTab* tabOf(gui::SessionController* session, const std::string& caption)
{
    session::SessionTabs& tabs = session->session().Model().Tabs();
    const int index = tabs.Find(caption);
    return index < 0 ? nullptr : &tabs.At(index);
}

// The line of a tab with exactly this text, if it has one.
const session::FormattedLine* lineOf(gui::SessionController* session, const std::string& caption,
                                     const std::string& text)
{
    const session::SessionTab* tab = tabOf(session, caption);
    if (!tab || !tab->Text)
        return nullptr;
    for (const session::FormattedLine& line : tab->Text->Lines())
        if (line.Text() == text)
            return &line;
    return nullptr;
}

bool allInColour(const session::FormattedLine* line, std::int32_t colour)
{
    if (!line || line->RunCount() == 0)
        return false;
    for (std::size_t i = 0; i < line->RunCount(); ++i)
        if (line->RunAt(i).Colour != static_cast<session::Rgb>(colour))
            return false;
    return true;
}

// The rows of a tab's nick list as the list view shows them.
QStringList nickRows(gui::SessionController* session, const std::string& caption)
{
    QStringList rows;
    const session::SessionTab* tab = tabOf(session, caption);
    if (!tab)
        return rows;
    const QListView* view = windowOf(session)->nickViewOf(tab->Id);
    if (!view)
        return rows;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        rows << view->model()->index(row, 0).data().toString();
    return rows;
}

// The text after "QUIT :" in the line the client got for this nick's quit.
std::optional<std::string> quitReasonOf(RawIrcClient& client, const std::string& nick)
{
    const std::string& received = client.received();
    for (auto at = received.find(":" + nick + "!"); at != std::string::npos;
         at = received.find(":" + nick + "!", at + 1)) {
        const auto end = received.find("\r\n", at);
        if (end == std::string::npos)
            return std::nullopt;
        const std::string line = received.substr(at, end - at);
        const auto quit = line.find(" QUIT :");
        if (quit != std::string::npos)
            return line.substr(quit + 7);
    }
    return std::nullopt;
}

} // namespace

class AppSessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { gui::initResources(); }

    void startUpOpensTheAutoConnectSessionsBeforeTheSplash()
    {
        Ngircd server;
        Home home(server.port(), {{"First", true, "pellone"}, {"Quiet", false, "pellquiet"}, {"Second", true, "pelltwo"}});
        gui::AppShell shell(home.folder());

        // Count the session windows at the moment the splash is on screen.
        int sessionsAtSplash = -1;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (qobject_cast<gui::SplashWindow*>(window) && window->isVisible() && sessionsAtSplash < 0)
                    sessionsAtSplash = static_cast<int>(shell.mainWindow()->sessionArea()->subWindowList().size());
        });
        watch.start(1);
        shell.start(std::chrono::milliseconds(50));
        watch.stop();

        QCOMPARE(sessionsAtSplash, 2);
        const auto sessions = shell.sessions();
        QCOMPARE(sessions.size(), std::size_t(2));
        QCOMPARE(windowOf(sessions[0])->windowTitle(), QStringLiteral("First"));
        QCOMPARE(windowOf(sessions[1])->windowTitle(), QStringLiteral("Second"));
        QVERIFY(shell.mainWindow()->isVisible());

        for (gui::SessionController* session : sessions)
            QTRY_VERIFY_WITH_TIMEOUT(connected(session), kWaitMs);
        QCOMPARE(windowOf(sessions[0])->statusLabel(1)->text(), QStringLiteral("pellone"));
        QCOMPARE(windowOf(sessions[1])->statusLabel(1)->text(), QStringLiteral("pelltwo"));

        // The server knows the two auto-connect nicks and not the third entry's.
        RawIrcClient watcher(server.port(), "watcher");
        QTRY_VERIFY_WITH_TIMEOUT(watcher.saw(" 001 watcher "), kWaitMs);
        watcher.send("ISON pellone pellquiet pelltwo");
        QTRY_VERIFY_WITH_TIMEOUT(watcher.saw(" 303 watcher :pellone pelltwo\r\n"), kWaitMs);
    }

    void sessionWindowChatsInAChannel()
    {
        Ngircd server;
        Home home(server.port(), {{"Net", true, "alice"}});
        const std::int32_t others = 0x123456;
        home.colours(others, 0);
        gui::AppShell shell(home.folder());
        shell.start(std::chrono::milliseconds(0));
        QCOMPARE(shell.sessions().size(), std::size_t(1));
        gui::SessionController* alice = shell.sessions().front();
        gui::SessionWindow* window = windowOf(alice);
        QTRY_VERIFY_WITH_TIMEOUT(connected(alice), kWaitMs);

        // The own join writes no line: the names reply opens the tab and fills its list.
        join(alice, QStringLiteral("#pell"));
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(alice, "#pell"), QStringList{"@alice"}, kWaitMs);
        QCOMPARE(window->tabWidget()->tabText(window->tabWidget()->currentIndex()), QStringLiteral("#pell"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Net [#pell]"));
        QTRY_COMPARE_WITH_TIMEOUT(window->statusLabel(2)->text(), QStringLiteral("#pell"), kWaitMs);

        RawIrcClient bob(server.port(), "bob");
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(" 001 bob "), kWaitMs);
        bob.send("JOIN #pell");
        QTRY_VERIFY_WITH_TIMEOUT(lineOf(alice, "#pell", "<System>:bob joined"), kWaitMs);
        QVERIFY(allInColour(lineOf(alice, "#pell", "<System>:bob joined"), 32768));
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(alice, "#pell"), (QStringList{"@alice", "bob"}), kWaitMs);

        // Another user's line: the others' colour, and its address in the main window.
        bob.send("PRIVMSG #pell :look at http://example.org/pell now");
        QTRY_VERIFY_WITH_TIMEOUT(lineOf(alice, "#pell", "<bob>:look at http://example.org/pell now"), kWaitMs);
        QVERIFY(allInColour(lineOf(alice, "#pell", "<bob>:look at http://example.org/pell now"), others));
        QListWidget* addresses = shell.mainWindow()->addressList();
        QTRY_COMPARE_WITH_TIMEOUT(addresses->count(), 1, kWaitMs);
        QCOMPARE(addresses->item(0)->text(), QStringLiteral("http://example.org/pell"));

        // A typed line goes to the channel and shows in the own colour.
        QTest::keyClicks(window->inputLine(), QStringLiteral("hello bob"));
        QTest::keyClick(window->inputLine(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(" PRIVMSG #pell :hello bob\r\n"), kWaitMs);
        QVERIFY(bob.saw(":alice!"));
        QVERIFY(allInColour(lineOf(alice, "#pell", "<alice>:hello bob"), 16744576));
        QCOMPARE(window->inputLine()->text(), QString());
    }

    void buttonCaptionsFollowTheLanguageAtCreation()
    {
        Ngircd server;
        Home home(server.port(), {{"Deutsch", true, "hans"}, {"English", false, "jane"}});
        home.colours(0, 1);
        gui::AppShell shell(home.folder());
        shell.start(std::chrono::milliseconds(0));
        QCOMPARE(shell.sessions().size(), std::size_t(1));

        // A later change of the language labels only windows made after it.
        shell.core().settings().Language = 0;
        const auto items = shell.mainWindow()->serverMenu()->actions();
        QCOMPARE(items.size(), 2);
        items[1]->trigger();
        const auto sessions = shell.sessions();
        QCOMPARE(sessions.size(), std::size_t(2));

        QStringList german{"Beitreten", "Verlassen", "Ändere Nick", "Zeige Channels", "Ausführen", "Userliste",
                                 "Löschen", "Reconnect", "Schließen", "Speichern", "Aktion"};
        QStringList english{"Join", "Leave", "Change Nick", "Show Channels", "Run", "Userlist",
                                  "Clear", "Reconnect", "Close", "Save", "Action"};
        german.sort();
        english.sort();
        QCOMPARE(buttonCaptions(windowOf(sessions[0])), german);
        QCOMPARE(buttonCaptions(windowOf(sessions[1])), english);
        for (gui::SessionController* session : sessions)
            QTRY_VERIFY_WITH_TIMEOUT(connected(session), kWaitMs);
    }

    void closingTheMainWindowQuitsEverySessionWithOneReason()
    {
        Ngircd server;
        Home home(server.port(), {{"One", true, "alice"}, {"Two", true, "carol"}});
        gui::AppShell shell(home.folder());
        shell.start(std::chrono::milliseconds(0));
        const auto sessions = shell.sessions();
        QCOMPARE(sessions.size(), std::size_t(2));
        RawIrcClient bob(server.port(), "bob");
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(" 001 bob "), kWaitMs);
        bob.send("JOIN #pell");
        for (gui::SessionController* session : sessions) {
            QTRY_VERIFY_WITH_TIMEOUT(connected(session), kWaitMs);
            join(session, QStringLiteral("#pell"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(":alice!") && bob.saw(":carol!"), kWaitMs);

        // The first close asks for the reason once, quits both and is refused.
        PromptAnswerer user(QStringLiteral("gone fishing"));
        gui::MainWindow* main = shell.mainWindow();
        QVERIFY(!main->close());
        QVERIFY(main->isVisible());
        QCOMPARE(user.asked, QStringList{"Reason|Reason:"});
        // ngircd puts the reason it relays in double quotes.
        const std::optional<std::string> relayed("\"gone fishing\"");
        QTRY_COMPARE_WITH_TIMEOUT(quitReasonOf(bob, "alice"), relayed, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(quitReasonOf(bob, "carol"), relayed, kWaitMs);

        // Once the server has dropped them, the session windows close by themselves,
        // and the next close of the main window goes through.
        QTRY_VERIFY_WITH_TIMEOUT(main->sessionArea()->subWindowList().isEmpty(), kWaitMs);
        QVERIFY(shell.sessions().empty());
        QVERIFY(main->close());
        QVERIFY(!main->isVisible());
        QCOMPARE(user.asked.size(), 1);
    }
};

QTEST_MAIN(AppSessionTest)
#include "AppSessionTest.moc"
