// The whole program against a real ngircd, once. What the user sees is read from the
// windows; what went out, at a second, plain client on the server.

#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "gui/MainWindow.h"
#include "gui/SessionController.h"
#include "gui/SessionWindow.h"
#include "gui/SplashWindow.h"

#include "gui/GuiFakes.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"

#include <QDBusConnection>
#include <QtTest>
#include <QtWidgets>
#include <regex>

#include <signal.h>

using namespace pell;
using namespace pell::test;
using gui::SessionController;

namespace {

constexpr int kWaitMs = 10000;

// Two templates in store order, "zebra" before "apple": the box sorts them.
const char* const kTemplates = "$$$&New Template$$$$&\r\nzebra\r\nstripes\r\n"
                               "$$$&New Template$$$$&\r\napple\r\none\r\ntwo\r\nthree\r\n";

bool connected(SessionController* session) { return session->window()->statusLabel(0)->text() == "Connected"; }

QList<QPushButton*> buttons(SessionController* session) { return session->window()->findChildren<QPushButton*>(); }

void press(SessionController* session, const QString& caption)
{
    for (QPushButton* button : buttons(session))
        if (button->text() == caption)
            QTest::mouseClick(button, Qt::LeftButton);
}

// Types a channel name into the channel box and presses the join button.
void join(SessionController* session, const QString& channel, const QString& caption = "Join")
{
    for (QComboBox* box : session->window()->findChildren<QComboBox*>())
        if (box->isEditable())
            box->lineEdit()->setText(channel);
    press(session, caption);
}

// The lines a nick said in #pell, in the order the client got them.
QStringList saidInPell(RawIrcClient& client, const QString& nick)
{
    QStringList lines;
    for (const QString& line : QString::fromStdString(client.received()).split("\r\n"))
        if (line.startsWith(":" + nick + "!") && line.contains(" PRIVMSG #pell :"))
            lines << line.section(" :", 1);
    return lines;
}

QStringList nickRows(SessionController* session, const std::string& caption)
{
    const session::SessionTab* tab = tabOf(session, caption);
    return tab ? rowsOf(session->window()->nickViewOf(tab->Id)->model()) : QStringList{};
}

// ngircd relays a quit reason in double quotes.
bool quitWith(RawIrcClient& client, const std::string& nick, const std::string& reason)
{
    return std::regex_search(client.received(), std::regex(":" + nick + "![^\r]* QUIT :\"" + reason + "\"\r\n"));
}

// A session bus of the test's own (dbus-daemon), stopped by its process id.
struct SessionBus {
    QString address;
    qint64 pid = 0;
    SessionBus()
    {
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"});
        daemon.waitForFinished(5000);
        const QStringList out = QString(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        if (out.size() == 2) {
            address = out[0];
            pid = out[1].toLongLong();
        }
    }
    ~SessionBus()
    {
        if (pid > 0)
            ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
};

} // namespace

// The desktop's notification service as far as the program sees it: it records each
// notification as "summary|body".
class NotificationRecorder : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList seen;
public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        seen << summary + "|" + body;
        return 1;
    }
};

// The program started once on ngircd: the scenes below follow each other in order.
class AppSessionTest : public QObject {
    Q_OBJECT

    SessionBus bus;
    NotificationRecorder notifications;
    Ngircd server;
    TempFolder home;
    std::unique_ptr<gui::AppShell> shell;
    std::unique_ptr<RawIrcClient> bob;
    SessionController* alice = nullptr; // German, like carol's: made before the switch
    SessionController* carol = nullptr;
    SessionController* dave = nullptr;
    QStringList asked; // every dialog of the closes, answered as a user would
    QTimer user;
    qint64 startUpMs = 0;
    int sessionsAtSplash = -1;
    QStringList shown; // the message boxes of the start-up
    // Own, others' and system colours, as Color.dat sets them.
    static constexpr std::int64_t own = 16744576;
    static constexpr std::int64_t others = 0x123456;
    static constexpr std::int64_t system = 32768;

    gui::MainWindow* main() const { return shell->mainWindow(); }

private slots:
    // Before anything reaches for the session bus: the test's own, with a recorder. The
    // auto-connect entries and the link have their windows when the splash is on screen;
    // the link's host is shown, then the question answered Yes.
    void initTestCase()
    {
        gui::initResources();
        QVERIFY2(bus.pid > 0, "dbus-daemon did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
        QDBusConnection recorderBus = QDBusConnection::connectToBus(bus.address, "recorder");
        QVERIFY(recorderBus.registerService("org.freedesktop.Notifications"));
        QVERIFY(recorderBus.registerObject("/org/freedesktop/Notifications", &notifications, QDBusConnection::ExportAllSlots));
        const int port = server.port();
        std::string servers; // twelve lines an entry: name, host, port, auto-connect, nick, ...
        for (const auto& [name, autoConnect, nick] : {std::tuple{"First", "True", "alice"}, {"Later", "False", "dave"},
                                                      {"Second", "True", "carol"}})
            servers += std::string(name) + "\r\n127.0.0.1\r\n" + std::to_string(port) + "\r\n" + autoConnect + "\r\n" + nick
                       + "\r\n" + nick + "\r\n" + nick + "\r\n\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\n";
        writeBytes(home.file("SList.dat"), servers);
        // The colours, the action colour, the script delay and German.
        writeBytes(home.file("Color.dat"), std::to_string(own) + "\r\n" + std::to_string(others) + "\r\n"
                                               + std::to_string(system) + "\r\n255\r\n2500\r\n1\r\n");
        writeBytes(home.file("settings.ini"), "erin\r\nErin\r\nerin\r\n\r\n");
        writeBytes(home.file("Template.dat"), kTemplates);
        const std::string link = "irc://127.0.0.1:" + std::to_string(port) + "/#pell";
        shell = std::make_unique<gui::AppShell>(home.folder(), std::vector<std::string>{"/m", link});
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (qobject_cast<gui::SplashWindow*>(window) && window->isVisible() && sessionsAtSplash < 0)
                    sessionsAtSplash = static_cast<int>(main()->sessionArea()->subWindowList().size());
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                    shown << box->text();
                    box->button(box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok)->click();
                }
            }
        });
        QElapsedTimer started;
        started.start();
        watch.start(1);
        shell->start(std::chrono::milliseconds(50));
        watch.stop();
        startUpMs = started.elapsed();
        QObject::connect(&user, &QTimer::timeout, [this] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) {
                    asked << dialog->windowTitle();
                    if (auto* field = dialog->findChild<QLineEdit*>())
                        QTest::keyClicks(field, "gone fishing");
                    dialog->accept();
                }
        });
    }

    void startUpOpensTheAutoConnectEntriesAndTheLinkBehindTheSplash()
    {
        QCOMPARE(sessionsAtSplash, 3);
        QVERIFY(startUpMs >= 50);
        QVERIFY(main()->isVisible());
        QCOMPARE(shown, (QStringList{"127.0.0.1", QString::fromStdString("Connect to 127.0.0.1:" + std::to_string(server.port()))}));
        QStringList titles;
        QStringList nicks;
        for (SessionController* session : shell->sessions()) { // the auto-connect entries, then the link
            QTRY_VERIFY_WITH_TIMEOUT(connected(session), kWaitMs);
            titles << session->window()->windowTitle();
            nicks << session->window()->statusLabel(1)->text();
        }
        QCOMPARE(titles, (QStringList{"First", "Second", "127.0.0.1"}));
        QCOMPARE(nicks, (QStringList{"alice", "carol", "erin"}));
        alice = shell->sessions()[0];
        carol = shell->sessions()[1];
        bob = std::make_unique<RawIrcClient>(server.port(), "bob");
        QTRY_VERIFY_WITH_TIMEOUT(bob->saw(" 001 bob "), kWaitMs);
    }

    // Captions follow the language at a window's creation; a later change labels only
    // windows made after it.
    void captionsFollowTheLanguageAtAWindowsCreation()
    {
        shell->core().settings().Language = settings::Language::English;
        main()->serverMenu()->actions()[1]->trigger();
        QCOMPARE(shell->sessions().size(), 4u);
        dave = shell->sessions()[3];
        QCOMPARE(buttons(alice).first()->text() + "|" + buttons(alice).last()->text(), "Beitreten|Aktion");
        QCOMPARE(buttons(dave).first()->text() + "|" + buttons(dave).last()->text(), "Join|Action");
        QTRY_VERIFY_WITH_TIMEOUT(connected(dave), kWaitMs);
        // The welcome: before it a server negotiating capabilities would refuse the join.
        QTRY_COMPARE_WITH_TIMEOUT(dave->session().Engine().State(), irc::ClientState::Connected, kWaitMs);
    }

    // The own join writes no line: the names reply opens the tab and fills its list.
    // Another user's line shows in the others' colour, its address in the main window; a
    // typed line goes to the channel and shows in the own colour.
    void linesGoAndComeInTheirColours()
    {
        gui::SessionWindow* window = dave->window();
        join(dave, "#pell");
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(dave, "#pell"), QStringList{"@dave"}, kWaitMs);
        QCOMPARE(window->tabWidget()->tabText(window->tabWidget()->currentIndex()), "#pell");
        QCOMPARE(window->windowTitle(), "Later [#pell]");
        QTRY_COMPARE_WITH_TIMEOUT(window->statusLabel(2)->text(), "#pell", kWaitMs);
        bob->send("JOIN #pell");
        QTRY_COMPARE_WITH_TIMEOUT(colourOf(dave, "#pell", "<System>:bob joined"), system, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(dave, "#pell"), (QStringList{"@dave", "bob"}), kWaitMs);
        bob->send("PRIVMSG #pell :look at http://example.org/pell now");
        QTRY_COMPARE_WITH_TIMEOUT(colourOf(dave, "#pell", "<bob>:look at http://example.org/pell now"), others, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(rowsOf(main()->addressList()->model()), QStringList{"http://example.org/pell"}, kWaitMs);
        QTest::keyClicks(window->inputLine(), "hello bob");
        QTest::keyClick(window->inputLine(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(bob->saw(":dave!~dave@127.0.0.1 PRIVMSG #pell :hello bob\r\n"), kWaitMs);
        QCOMPARE(colourOf(dave, "#pell", "<dave>:hello bob"), own);
        QVERIFY(window->inputLine()->text().isEmpty());
    }

    // Tab completes bob's nick and keeps the keyboard. With the program in the background
    // and another tab in front, a line naming dave stands out, turns its tab red and
    // reaches the desktop.
    void tabCompletesAndAMentionReachesTheDesktop()
    {
        gui::SessionWindow* window = dave->window();
        window->inputLine()->setFocus();
        QTest::keyClicks(window->inputLine(), "bo");
        QTest::keyClick(window->inputLine(), Qt::Key_Tab);
        QCOMPARE(window->inputLine()->text(), "bob: ");
        QCOMPARE(window->focusWidget(), window->inputLine());
        QTest::keyClicks(window->inputLine(), "hi");
        QTest::keyClick(window->inputLine(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(bob->saw(" PRIVMSG #pell :bob: hi\r\n"), kWaitMs);
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
        QTest::keyClicks(window->inputLine(), "/query carol");
        QTest::keyClick(window->inputLine(), Qt::Key_Return);
        bob->send("PRIVMSG #pell :dave: are you there?");
        QTRY_COMPARE_WITH_TIMEOUT(colourOf(dave, "#pell", "<bob>:dave: are you there?"), 21964, kWaitMs);
        QTabBar* tabBar = window->tabWidget()->tabBar();
        QCOMPARE(tabBar->tabTextColor(dave->session().Model().Tabs().Find("#pell")), QColor(210, 0, 0));
        QTRY_COMPARE_WITH_TIMEOUT(notifications.seen, QStringList{"bob in #pell|dave: are you there?"}, kWaitMs);
    }

    // Nothing is chosen until the user picks a name; a chosen name's lines go out in
    // order, each echoed in the own colour. "Run" during a run starts again from the first
    // line; closing the window asks for the reason, quits, is refused and ends the run.
    void aTemplateRunsOnceChosenAndACloseEndsIt()
    {
        join(alice, "#pell", "Beitreten");
        QTRY_VERIFY_WITH_TIMEOUT(bob->saw(":alice!"), kWaitMs);
        gui::SessionWindow* window = alice->window();
        QComboBox* box = window->templateBox();
        QCOMPARE(rowsOf(box->model()), (QStringList{"apple", "zebra"}));
        QCOMPARE(box->currentIndex(), -1);
        press(alice, "Ausführen");
        QVERIFY(!window->isSendTimerRunning());
        QTest::qWait(100);
        QCOMPARE(saidInPell(*bob, "alice"), QStringList{});
        box->setCurrentIndex(box->findText("apple"));
        shell->core().settings().ScriptDelay = "10";
        press(alice, "Ausführen");
        QTRY_COMPARE_WITH_TIMEOUT(saidInPell(*bob, "alice"), (QStringList{"one", "two", "three"}), kWaitMs);
        for (const char* line : {"one", "two", "three"})
            QCOMPARE(colourOf(alice, "#pell", "<alice>:" + std::string(line)), own);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isSendTimerRunning(), kWaitMs);
        window->setTemplateNames({"apple", "kiwi", "zebra"}); // a changed store keeps the picked name
        QCOMPARE(box->currentText(), "apple");
        shell->core().settings().ScriptDelay = "400";
        press(alice, "Ausführen");
        QTRY_COMPARE_WITH_TIMEOUT(saidInPell(*bob, "alice").size(), 4, kWaitMs);
        press(alice, "Ausführen");
        QTRY_COMPARE_WITH_TIMEOUT(saidInPell(*bob, "alice").mid(3), (QStringList{"one", "one", "two"}), kWaitMs);
        user.start(10);
        QVERIFY(!window->close());
        QVERIFY(!window->isSendTimerRunning());
        QVERIFY(!alice->templateRun().SendTimerRunning());
        QTRY_VERIFY_WITH_TIMEOUT(quitWith(*bob, "alice", "gone fishing"), kWaitMs);
        QCOMPARE(saidInPell(*bob, "alice").mid(3), (QStringList{"one", "one", "two"}));
        window->setTemplateNames({"kiwi", "zebra"});
        QCOMPARE(box->currentIndex(), -1);
    }

    // Carol's window keeps its German buttons but speaks English since the switch. The
    // first close of the main window quits every session with the reason asked before,
    // asking no more, and is refused; once the server has dropped them the session
    // windows close by themselves, and the next close goes through.
    void theReasonIsAskedOnceAndTheMainCloseQuitsEverySession()
    {
        join(carol, "#pell", "Beitreten");
        QTRY_VERIFY_WITH_TIMEOUT(bob->saw(":carol!"), kWaitMs);
        bob->send("PART #pell");
        bob->send("JOIN #pell");
        QTRY_COMPARE_WITH_TIMEOUT(colourOf(carol, "#pell", "<System>:bob joined"), system, kWaitMs);
        QVERIFY(!main()->close());
        QVERIFY(main()->isVisible());
        for (const char* nick : {"carol", "dave"})
            QTRY_VERIFY_WITH_TIMEOUT(quitWith(*bob, nick, "gone fishing"), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(main()->sessionArea()->subWindowList().isEmpty(), kWaitMs);
        QVERIFY(shell->sessions().empty());
        QVERIFY(main()->close());
        QVERIFY(!main()->isVisible());
        QCOMPARE(asked, QStringList{"Reason"});
    }
};

QTEST_MAIN(AppSessionTest)
#include "AppSessionTest.moc"
