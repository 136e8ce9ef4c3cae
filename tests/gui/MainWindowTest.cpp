#include "gui/AppShell.h"
#include "gui/InfoForm.h"
#include "gui/JpegImage.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/ScriptEditor.h"

#include "app/StartUp.h"
#include "gui/GuiFakes.h"
#include "session/AddressList.h"
#include "settings/SettingsTestSupport.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QStatusBar>
#include <QUrl>
#include <QWindow>
#include <QtTest>

using namespace pell;
using namespace pell::test;

namespace {

// A session window that refuses to close while it is "connected".
class StubbornSession : public QWidget {
public:
    bool connected = true;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (connected)
            event->ignore();
        else
            event->accept();
    }
};

QStringList captions(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// Catches every address handed to the desktop, whatever its scheme.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { gui::initResources(); }

    void startsWithoutSettingsFilesWithDefaultsAndNoSession()
    {
        TempFolder home;
        RecordingWindows sessions;
        gui::AppShell shell(home.folder(), sessions);
        QElapsedTimer started;
        started.start();
        shell.start(app::splashTime());
        const auto splashWait = started.elapsed();

        // CTest shortens the splash to 50 ms; unshortened it would last 3000 ms.
        QCOMPARE(qgetenv("PELL_IRC_SPLASH_MS"), QByteArray("50"));
        QVERIFY(splashWait >= 50);
        QVERIFY(splashWait < 3000);

        gui::MainWindow* window = shell.mainWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Pell-IRC"));
        QCOMPARE(window->size(), QSize(866, 592));
        QVERIFY(window->serverMenu()->actions().isEmpty());
        QVERIFY(window->sessionArea()->subWindowList().isEmpty());
        QVERIFY(sessions.created.empty());
        QVERIFY(shell.core().settings() == settings::AppSettings{});
        QCOMPARE(captions(window->fileMenu()), (QStringList{"Quick connect", "-", "Exit"}));
        QCOMPARE(captions(window->optionsMenu()), (QStringList{"Options", "-", "On Top"}));
        QCOMPARE(captions(window->toolsMenu()), (QStringList{"Open download folder", "Script editor"}));
        QCOMPARE(captions(window->helpMenu()), QStringList{"Info"});
        QVERIFY(shell.infoForm() && !shell.infoForm()->isVisible());
        window->helpMenu()->actions().front()->trigger();
        QVERIFY(shell.infoForm()->isVisible());

        gui::ScriptEditor* editor = shell.scriptEditor();
        QVERIFY(editor && !editor->isVisible() && editor->windowTitle() == "Script-Editor" && editor->size() == QSize(663, 414));
        window->toolsMenu()->actions().back()->trigger();
        QVERIFY(editor->isVisible() && !editor->isModal());
        QVERIFY((editor->frameGeometry().center() - window->frameGeometry().center()).manhattanLength() < 40);
    }

    void serverMenuListsTheEntriesAndStartsTheClickedOne()
    {
        TempFolder home;
        std::string slist;
        for (const char* name : {"Net", "A&B"})
            for (const std::string& line : std::initializer_list<std::string>{
                     name, "127.0.0.1", "6667", "False", "me", "Me", "me", "", "False", "False", "False", "False"})
                slist += line + "\r\n";
        writeBytes(home.file("SList.dat"), slist);
        RecordingWindows sessions;
        gui::AppShell shell(home.folder(), sessions);
        shell.start(std::chrono::milliseconds(0));

        const auto items = shell.mainWindow()->serverMenu()->actions();
        QCOMPARE(captions(shell.mainWindow()->serverMenu()), (QStringList{"Net", "A&B"}));
        items[0]->trigger();
        items[1]->trigger(); // its name cannot be found once the "&" is gone
        QCOMPARE(sessions.created.size(), std::size_t(2));
        QCOMPARE(sessions.created[0].Name, std::string("Net"));
        QCOMPARE(sessions.created[0].Port, 6667);
        QCOMPARE(sessions.created[1].Name, std::string(""));

        // A rebuild after the list changed replaces every item.
        shell.core().servers().deleteEntries("Net");
        shell.core().serverViews().RebuildServerViews(shell.core().servers());
        QCOMPARE(captions(shell.mainWindow()->serverMenu()), QStringList{"A&B"});
    }

    void statusBarShowsUptimeAndClock()
    {
        TempFolder home;
        RecordingWindows sessions;
        RecordingPrompts prompts;
        RecordingDesktop desktop;
        app::AppCore core(home.folder(), sessions, prompts);
        gui::MainWindow window(core, desktop);
        core.createMainWindowData();
        window.updateStatus();

        QCOMPARE(window.uptimePanel()->text(), QStringLiteral("00:00:00"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\S.* --- \\S+$")).match(window.clockPanel()->text()).hasMatch());
        QCOMPARE(window.uptimePanel()->width(), 100);
        QCOMPARE(window.clockPanel()->width(), 150);
        QCOMPARE(window.addressList()->height(), 71);
    }

    void addressListShowsNewestFirstAndOpensTheClickedRow()
    {
        TempFolder home;
        RecordingWindows sessions;
        RecordingPrompts prompts;
        RecordingDesktop desktop;
        app::AppCore core(home.folder(), sessions, prompts);
        gui::MainWindow window(core, desktop);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto& addresses = core.shared().Addresses;
        session::CollectUrls("see http://a.example/x and www.b.example", addresses);
        session::CollectUrls("again http://a.example/x", addresses);
        QListWidget* list = window.addressList();
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QStringLiteral("http://a.example/x"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("www.b.example"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("http://a.example/x"));

        // A click below the rows selects nothing and opens nothing.
        list->clearSelection();
        list->setCurrentItem(nullptr);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 2));
        QVERIFY(desktop.opened.empty());

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(desktop.opened, std::vector<std::string>{"www.b.example"});
    }

    void desktopOpensOnlyWebAndMailAddresses()
    {
        UrlCatcher catcher;
        const QStringList schemes{"http", "https", "ftp", "mailto", "file", "javascript", "irc", "smb"};
        for (const QString& scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        gui::QtDesktop desktop;
        for (const char* address : {"www.b.example/page", "https://a.example/?q=1", "mailto:x@example.org",
                                    "file:///etc/passwd", "javascript:alert(1)", "irc://irc.example.org/x",
                                    "smb://host/share", "ftp://files.example.org/f"})
            desktop.openUrl(address);
        for (const QString& scheme : schemes)
            QDesktopServices::unsetUrlHandler(scheme);

        QCOMPARE(catcher.opened, (QList<QUrl>{QUrl("http://www.b.example/page"), QUrl("https://a.example/?q=1"),
                                              QUrl("mailto:x@example.org"), QUrl("ftp://files.example.org/f")}));
    }

    void onTopTwiceReturnsToNormalStacking()
    {
        TempFolder home;
        RecordingWindows sessions;
        RecordingPrompts prompts;
        RecordingDesktop desktop;
        app::AppCore core(home.folder(), sessions, prompts);
        gui::MainWindow window(core, desktop);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint where = window.pos();

        window.onTopAction()->trigger();
        QVERIFY(window.onTopAction()->isChecked());
        QVERIFY(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        window.onTopAction()->trigger();
        QVERIFY(!window.onTopAction()->isChecked());
        QVERIFY(!window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(window.pos(), where);
    }

    void closingWaitsForEverySessionWindow()
    {
        TempFolder home;
        RecordingWindows sessions;
        RecordingPrompts prompts;
        RecordingDesktop desktop;
        app::AppCore core(home.folder(), sessions, prompts);
        gui::MainWindow window(core, desktop);
        window.show();
        auto* stubborn = new StubbornSession;
        auto* willing = new QWidget;
        QMdiSubWindow* first = window.sessionArea()->addSubWindow(stubborn);
        QMdiSubWindow* second = window.sessionArea()->addSubWindow(willing);
        first->setAttribute(Qt::WA_DeleteOnClose);
        second->setAttribute(Qt::WA_DeleteOnClose);
        first->show();
        second->show();

        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QCOMPARE(window.sessionArea()->subWindowList().size(), 1);

        stubborn->connected = false;
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
