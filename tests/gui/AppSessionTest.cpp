// The whole program against a real ngircd, once: start-up with auto-connect, captions by
// language, a session window in a channel, and closing the program. What the user sees
// is read from the windows; what went out, at a second, plain client on the server.

#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "gui/MainWindow.h"
#include "gui/SessionController.h"
#include "gui/SessionWindow.h"
#include "gui/SplashWindow.h"

#include "gui/GuiFakes.h"
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
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using namespace pell;
using namespace pell::test;
using gui::SessionController;

namespace {

constexpr int kWaitMs = 10000;

// Answers the program's prompts as a user would: types the answer into a text prompt
// and accepts it; a message box (an error) is recorded and dismissed.
class PromptAnswerer : public QObject {
public:
    explicit PromptAnswerer(QString answer) : answer_(std::move(answer))
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* prompt = qobject_cast<QInputDialog*>(window); prompt && prompt->isVisible()) {
                    asked << prompt->windowTitle() + "|" + prompt->labelText();
                    QTest::keyClicks(prompt->findChild<QLineEdit*>(), answer_);
                    prompt->accept();
                } else if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                    asked << box->windowTitle() + "|" + box->text();
                    box->reject();
                }
            }
        });
        timer_.start(10);
    }
    QStringList asked; // caption and label of every prompt seen

private:
    QString answer_;
    QTimer timer_;
};

bool connected(SessionController* session)
{
    return session->window()->statusLabel(0)->text() == QStringLiteral("Connected");
}

QPushButton* button(const gui::SessionWindow* window, const QString& caption)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

QString buttonCaptions(const gui::SessionWindow* window)
{
    QStringList texts;
    for (const QPushButton* b : window->findChildren<QPushButton*>())
        texts << b->text();
    return texts.join(',');
}

// Types a channel name into the channel box and presses the join button.
void join(SessionController* session, const QString& channel, const QString& caption = QStringLiteral("Join"))
{
    gui::SessionWindow* window = session->window();
    for (QComboBox* box : window->findChildren<QComboBox*>())
        if (box->isEditable()) {
            QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box->lineEdit(), channel);
        }
    QCOMPARE(window->channelBoxText(), channel);
    QTest::mouseClick(button(window, caption), Qt::LeftButton);
}

const session::SessionTab* tabOf(SessionController* session, const std::string& caption)
{
    session::SessionTabs& tabs = session->session().Model().Tabs();
    const int index = tabs.Find(caption);
    return index < 0 ? nullptr : &tabs.At(index);
}

// True when the tab has a line with exactly this text, every run in this colour.
bool shows(SessionController* session, const std::string& caption, const std::string& text, std::int32_t colour)
{
    const session::SessionTab* tab = tabOf(session, caption);
    if (!tab || !tab->Text)
        return false;
    for (const session::FormattedLine& line : tab->Text->Lines()) {
        if (line.Text() != text || line.RunCount() == 0)
            continue;
        for (std::size_t i = 0; i < line.RunCount(); ++i)
            if (line.RunAt(i).Colour != static_cast<session::Rgb>(colour))
                return false;
        return true;
    }
    return false;
}

QStringList nickRows(SessionController* session, const std::string& caption)
{
    const session::SessionTab* tab = tabOf(session, caption);
    const QListView* view = tab ? session->window()->nickViewOf(tab->Id) : nullptr;
    return view ? rowsOf(view->model()) : QStringList{};
}

// The text after "QUIT :" in the line the client got for this nick's quit.
std::optional<std::string> quitReasonOf(RawIrcClient& client, const std::string& nick)
{
    const std::string& received = client.received();
    for (auto at = received.find(":" + nick + "!"); at != std::string::npos; at = received.find(":" + nick + "!", at + 1)) {
        const auto end = received.find("\r\n", at);
        const auto quit = received.find(" QUIT :", at);
        if (end != std::string::npos && quit < end)
            return received.substr(quit + 7, end - quit - 7);
    }
    return std::nullopt;
}

} // namespace

class AppSessionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { gui::initResources(); }

    void wholeProgramOnNgircd()
    {
        Ngircd server;
        TempFolder home;
        const int port = server.port();
        writeBytes(home.file("SList.dat"),
                   serverList({{"First", port, true, "alice"}, {"Later", port, false, "dave"}, {"Second", port, true, "carol"}}));
        // Own, others, system and action colours, the script delay and German.
        const std::int32_t own = 16744576, others = 0x123456, system = 32768;
        writeBytes(home.file("Color.dat"), std::to_string(own) + "\r\n" + std::to_string(others) + "\r\n"
                                               + std::to_string(system) + "\r\n255\r\n2500\r\n1\r\n");
        gui::AppShell shell(home.folder());

        // The auto-connect entries have their windows when the splash is on screen.
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
        gui::MainWindow* main = shell.mainWindow();
        QVERIFY(main->isVisible());
        auto sessions = shell.sessions();
        QCOMPARE(sessions.size(), std::size_t(2));
        QCOMPARE(sessions[0]->window()->windowTitle(), QStringLiteral("First"));
        QCOMPARE(sessions[1]->window()->windowTitle(), QStringLiteral("Second"));
        for (SessionController* session : sessions)
            QTRY_VERIFY_WITH_TIMEOUT(connected(session), kWaitMs);
        QCOMPARE(sessions[0]->window()->statusLabel(1)->text(), QStringLiteral("alice"));
        QCOMPARE(sessions[1]->window()->statusLabel(1)->text(), QStringLiteral("carol"));

        // The server knows the two auto-connect nicks and not the other entry's.
        RawIrcClient bob(port, "bob");
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(" 001 bob "), kWaitMs);
        bob.send("ISON alice dave carol");
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(" 303 bob :alice carol\r\n"), kWaitMs);

        // Captions follow the language at a window's creation; a later change labels
        // only windows made after it.
        shell.core().settings().Language = 0;
        main->serverMenu()->actions()[1]->trigger();
        sessions = shell.sessions();
        QCOMPARE(sessions.size(), std::size_t(3));
        QCOMPARE(buttonCaptions(sessions[0]->window()), QStringLiteral("Beitreten,Verlassen,Ändere Nick,Zeige Channels,"
                                                                 "Ausführen,Userliste,Löschen,Reconnect,Schließen,"
                                                                 "Speichern,Aktion"));
        QCOMPARE(buttonCaptions(sessions[2]->window()), QStringLiteral("Join,Leave,Change Nick,Show Channels,Run,"
                                                                       "Userlist,Clear,Reconnect,Close,Save,Action"));
        SessionController* dave = sessions[2];
        QTRY_VERIFY_WITH_TIMEOUT(connected(dave), kWaitMs);

        // The own join writes no line: the names reply opens the tab and fills its list.
        gui::SessionWindow* window = dave->window();
        join(dave, QStringLiteral("#pell"));
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(dave, "#pell"), QStringList{"@dave"}, kWaitMs);
        QCOMPARE(window->tabWidget()->tabText(window->tabWidget()->currentIndex()), QStringLiteral("#pell"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Later [#pell]"));
        QTRY_COMPARE_WITH_TIMEOUT(window->statusLabel(2)->text(), QStringLiteral("#pell"), kWaitMs);
        bob.send("JOIN #pell");
        QTRY_VERIFY_WITH_TIMEOUT(shows(dave, "#pell", "<System>:bob joined", system), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(nickRows(dave, "#pell"), (QStringList{"@dave", "bob"}), kWaitMs);

        // Another user's line: the others' colour, and its address in the main window.
        bob.send("PRIVMSG #pell :look at http://example.org/pell now");
        QTRY_VERIFY_WITH_TIMEOUT(shows(dave, "#pell", "<bob>:look at http://example.org/pell now", others), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(rowsOf(main->addressList()->model()), QStringList{"http://example.org/pell"}, kWaitMs);

        // A typed line goes to the channel and shows in the own colour.
        QTest::keyClicks(window->inputLine(), QStringLiteral("hello bob"));
        QTest::keyClick(window->inputLine(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(":dave!") && bob.saw(" PRIVMSG #pell :hello bob\r\n"), kWaitMs);
        QVERIFY(shows(dave, "#pell", "<dave>:hello bob", own));
        QCOMPARE(window->inputLine()->text(), QString());

        // The first close of the main window asks for the reason once, quits every
        // session and is refused; ngircd relays the reason in double quotes.
        join(sessions[0], QStringLiteral("#pell"), QStringLiteral("Beitreten"));
        QTRY_VERIFY_WITH_TIMEOUT(bob.saw(":alice!"), kWaitMs);
        PromptAnswerer user(QStringLiteral("gone fishing"));
        QVERIFY(!main->close());
        QVERIFY(main->isVisible());
        QCOMPARE(user.asked, QStringList{"Reason|Reason:"});
        const std::optional<std::string> relayed("\"gone fishing\"");
        QTRY_COMPARE_WITH_TIMEOUT(quitReasonOf(bob, "alice"), relayed, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(quitReasonOf(bob, "dave"), relayed, kWaitMs);
        // Once the server has dropped them the session windows close by themselves,
        // and the next close goes through.
        QTRY_VERIFY_WITH_TIMEOUT(main->sessionArea()->subWindowList().isEmpty(), kWaitMs);
        QVERIFY(shell.sessions().empty());
        QVERIFY(main->close());
        QVERIFY(!main->isVisible());
        QCOMPARE(user.asked.size(), 1);
    }
};

QTEST_MAIN(AppSessionTest)
#include "AppSessionTest.moc"
