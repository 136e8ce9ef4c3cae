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

bool connected(SessionController* session) { return session->window()->statusLabel(0)->text() == "Connected"; }


QList<QPushButton*> buttons(SessionController* session) { return session->window()->findChildren<QPushButton*>(); }

// Types a channel name into the channel box and presses the join button.
void join(SessionController* session, const QString& channel, const QString& caption = "Join")
{
    for (QComboBox* box : session->window()->findChildren<QComboBox*>())
        if (box->isEditable())
            box->lineEdit()->setText(channel);
    for (QPushButton* button : buttons(session))
        if (button->text() == caption)
            QTest::mouseClick(button, Qt::LeftButton);
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

// dave in #pell with bob: Tab completes bob's nick and keeps the keyboard; a line naming
// dave while the program is in the background marks the tab and reaches the desktop.
void completesAndNotifies(SessionController* dave, RawIrcClient& bob, const NotificationRecorder& notifications)
{
    gui::SessionWindow* window = dave->window();
    // Tab completes bob's nick, the keyboard stays in the input line.
    window->inputLine()->setFocus();
    QTest::keyClicks(window->inputLine(), "bo");
    QTest::keyClick(window->inputLine(), Qt::Key_Tab);
    QCOMPARE(window->inputLine()->text(), "bob: ");
    QCOMPARE(window->focusWidget(), window->inputLine());
    QTest::keyClicks(window->inputLine(), "hi");
    QTest::keyClick(window->inputLine(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(bob.saw(" PRIVMSG #pell :bob: hi\r\n"), kWaitMs);

    // With the program in the background and another tab in front, a line naming dave
    // stands out, turns its tab red and reaches the desktop.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
    QTest::keyClicks(window->inputLine(), "/query carol");
    QTest::keyClick(window->inputLine(), Qt::Key_Return);
    bob.send("PRIVMSG #pell :dave: are you there?");
    QTRY_COMPARE_WITH_TIMEOUT(colourOf(dave, "#pell", "<bob>:dave: are you there?"), 21964, kWaitMs);
    QTabBar* tabBar = window->tabWidget()->tabBar();
    QCOMPARE(tabBar->tabTextColor(dave->session().Model().Tabs().Find("#pell")), QColor(210, 0, 0));
    QTRY_COMPARE_WITH_TIMEOUT(notifications.seen, QStringList{"bob in #pell|dave: are you there?"}, kWaitMs);
}

class AppSessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { gui::initResources(); }

    void wholeProgramOnNgircd()
    {
        // Before anything reaches for the session bus: the test's own, with a recorder.
        SessionBus bus;
        QVERIFY2(bus.pid > 0, "dbus-daemon did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
        QDBusConnection recorderBus = QDBusConnection::connectToBus(bus.address, "recorder");
        NotificationRecorder notifications;
        QVERIFY(recorderBus.registerService("org.freedesktop.Notifications"));
        QVERIFY(recorderBus.registerObject("/org/freedesktop/Notifications", &notifications, QDBusConnection::ExportAllSlots));
        Ngircd server;
        TempFolder home;
        const int port = server.port();
        std::string servers; // twelve lines an entry: name, host, port, auto-connect, nick, ...
        for (const auto& [name, autoConnect, nick] : {std::tuple{"First", "True", "alice"}, {"Later", "False", "dave"},
                                                      {"Second", "True", "carol"}})
            servers += std::string(name) + "\r\n127.0.0.1\r\n" + std::to_string(port) + "\r\n" + autoConnect + "\r\n" + nick
                       + "\r\n" + nick + "\r\n" + nick + "\r\n\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\n";
        writeBytes(home.file("SList.dat"), servers);
        // Own, others, system and action colours, the script delay and German.
        const std::int64_t own = 16744576, others = 0x123456, system = 32768;
        writeBytes(home.file("Color.dat"), std::to_string(own) + "\r\n" + std::to_string(others) + "\r\n"
                                               + std::to_string(system) + "\r\n255\r\n2500\r\n1\r\n");
        writeBytes(home.file("settings.ini"), "erin\r\nErin\r\nerin\r\n\r\n");
        const std::string link = "irc://127.0.0.1:" + std::to_string(port) + "/#pell";
        gui::AppShell shell(home.folder(), {"/m", link});
        QElapsedTimer started;
        started.start();

        // The auto-connect entries and the link have their windows when the splash is on
        // screen; the link's host is shown, then the question answered Yes.
        int sessionsAtSplash = -1;
        QStringList shown;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (qobject_cast<gui::SplashWindow*>(window) && window->isVisible() && sessionsAtSplash < 0)
                    sessionsAtSplash = static_cast<int>(shell.mainWindow()->sessionArea()->subWindowList().size());
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                    shown << box->text();
                    box->button(box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok)->click();
                }
            }
        });
        watch.start(1), shell.start(std::chrono::milliseconds(50)), watch.stop();
        gui::MainWindow* main = shell.mainWindow();
        QVERIFY(sessionsAtSplash == 3 && started.elapsed() >= 50 && main->isVisible());
        QCOMPARE(shown, (QStringList{"127.0.0.1", QString::fromStdString("Connect to 127.0.0.1:" + std::to_string(port))}));
        auto sessions = shell.sessions(); // the auto-connect entries, then the link
        QCOMPARE(sessions.size(), 3u);
        QCOMPARE(sessions[0]->window()->windowTitle() + sessions[1]->window()->windowTitle() + sessions[2]->window()->windowTitle(),
                 "FirstSecond127.0.0.1");
        for (SessionController* session : sessions)
            QTRY_VERIFY_WITH_TIMEOUT(connected(session), kWaitMs);
        QCOMPARE(sessions[0]->window()->statusLabel(1)->text() + sessions[1]->window()->statusLabel(1)->text()
                     + sessions[2]->window()->statusLabel(1)->text(), "alicecarolerin");
        RawIrcClient bob(port, "bob");
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(" 001 bob "), kWaitMs);

        // Captions follow the language at a window's creation; a later change labels
        // only windows made after it.
        shell.core().settings().Language = settings::Language::English;
        main->serverMenu()->actions()[1]->trigger();
        sessions = shell.sessions();
        QVERIFY(sessions.size() == 4);
        SessionController* dave = sessions[3];
        QCOMPARE(buttons(sessions[0]).first()->text() + buttons(sessions[0]).last()->text(), "BeitretenAktion");
        QCOMPARE(buttons(dave).first()->text() + buttons(dave).last()->text(), "JoinAction");
        QTRY_VERIFY_WITH_TIMEOUT(connected(dave), kWaitMs);
        // The welcome: before it a server negotiating capabilities would refuse the join.
        QTRY_COMPARE_WITH_TIMEOUT(dave->session().Engine().State(), irc::ClientState::Connected, kWaitMs);

        // The own join writes no line: the names reply opens the tab and fills its list.
        gui::SessionWindow* window = dave->window();
        join(dave, "#pell");
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(dave, "#pell"), QStringList{"@dave"}, kWaitMs);
        QCOMPARE(window->tabWidget()->tabText(window->tabWidget()->currentIndex()) + window->windowTitle(), "#pellLater [#pell]");
        QTRY_COMPARE_WITH_TIMEOUT(window->statusLabel(2)->text(), "#pell", kWaitMs);
        bob.send("JOIN #pell");
        QTRY_COMPARE_WITH_TIMEOUT(colourOf(dave, "#pell", "<System>:bob joined"), system, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(dave, "#pell"), (QStringList{"@dave", "bob"}), kWaitMs);

        // Another user's line: the others' colour, and its address in the main window.
        bob.send("PRIVMSG #pell :look at http://example.org/pell now");
        QTRY_COMPARE_WITH_TIMEOUT(colourOf(dave, "#pell", "<bob>:look at http://example.org/pell now"), others, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(rowsOf(main->addressList()->model()), QStringList{"http://example.org/pell"}, kWaitMs);

        // A typed line goes to the channel and shows in the own colour.
        QTest::keyClicks(window->inputLine(), "hello bob"), QTest::keyClick(window->inputLine(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(":dave!") && bob.saw(" PRIVMSG #pell :hello bob\r\n"), kWaitMs);
        QVERIFY(colourOf(dave, "#pell", "<dave>:hello bob") == own && window->inputLine()->text().isEmpty());

        completesAndNotifies(dave, bob, notifications);
        if (QTest::currentTestFailed())
            return;

        // The first close of the main window asks for the reason once, quits every
        // session and is refused.
        join(sessions[0], "#pell", "Beitreten");
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(":alice!"), kWaitMs);
        // Alice's window keeps its German buttons but speaks English since the switch.
        bob.send("PART #pell"), bob.send("JOIN #pell");
        QTRY_COMPARE_WITH_TIMEOUT(colourOf(sessions[0], "#pell", "<System>:bob joined"), system, kWaitMs);
        QStringList asked; // every prompt or message box, answered as a user would
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) {
                    asked << dialog->windowTitle();
                    if (auto* field = dialog->findChild<QLineEdit*>())
                        QTest::keyClicks(field, "gone fishing");
                    dialog->accept();
                }
        });
        QVERIFY((user.start(10), !main->close()) && main->isVisible());
        QCOMPARE(asked, QStringList{"Reason"});
        QTRY_VERIFY_WITH_TIMEOUT(quitWith(bob, "alice", "gone fishing") && quitWith(bob, "dave", "gone fishing"), kWaitMs);
        // Once the server has dropped them the session windows close by themselves,
        // and the next close goes through.
        QTRY_VERIFY_WITH_TIMEOUT(main->sessionArea()->subWindowList().isEmpty(), kWaitMs);
        QVERIFY(shell.sessions().empty() && main->close() && !main->isVisible() && asked.size() == 1);
    }
};

QTEST_MAIN(AppSessionTest)
#include "AppSessionTest.moc"
