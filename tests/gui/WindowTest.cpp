// The windows on their own, offscreen: what they draw, how they wire widgets to the
// models, menus, and dialogs opening and closing. What the models decide is tested
// with the models; here only that a window shows it and forwards the user's input.

#include "gui/AppShell.h"
#include "gui/DisplayLine.h"
#include "gui/FolderChooser.h"
#include "gui/InfoForm.h"
#include "gui/JpegImage.h"
#include "gui/MainWindow.h"
#include "gui/OptionsDialog.h"
#include "gui/QtDesktop.h"
#include "gui/QuickConnectDialog.h"
#include "gui/SessionWindow.h"
#include "gui/SplashWindow.h"
#include "gui/TextDecoding.h"
#include "gui/TextView.h"

#include "app/StartUp.h"
#include "gui/GuiFakes.h"
#include "session/AddressList.h"
#include "session/LineFormatter.h"

#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <set>

using namespace pell;
using namespace pell::test;
namespace fs = std::filesystem;
using Nick = pell::gui::NickAction;
Q_DECLARE_METATYPE(pell::gui::NickAction)

namespace {

constexpr session::Rgb Black = session::RgbColour(0, 0, 0);

template <typename T = QWidget> T* named(const QObject* parent, const char* name) { return parent->findChild<T*>(name); }
void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// The options dialog over its model and a temporary settings folder.
struct Options {
    TempFolder temp;
    settings::AppSettings settings;
    settings::ServerList servers;
    settings::ServerViews views;
    RecordingPrompts prompts;
    settings::OptionsModel model{settings, servers, views,
                                 settings::AppSettingsFiles(settings::SettingsFolder(temp.folder())), prompts,
                                 temp.folder()};
    gui::FolderChooser chooser{nullptr, temp.folder()};
    gui::OptionsDialog dialog{nullptr, model, chooser};
    QLineEdit* edit(const char* name) { return named<QLineEdit>(&dialog, name); }
    bool exists(const char* file) { return fs::exists(temp.file(file)); }
};

// The quick connect dialog, run modally; whileOpen acts on it once it shows.
struct QuickConnect {
    QuickConnect() { settings.Nick = "global"; }
    settings::AppSettings settings;
    settings::ServerList servers;
    RecordingWindows windows;
    RecordingPrompts prompts;
    settings::SessionLauncher launcher{servers, windows, prompts};
    settings::QuickConnectModel model{settings, launcher, prompts};
    gui::QuickConnectDialog dialog{nullptr, model};
    std::string run(std::function<void()> whileOpen)
    {
        QTimer::singleShot(0, &dialog, whileOpen);
        dialog.run();
        return windows.created.size() == 1 ? windows.created[0].Nick + "@" + windows.created[0].Host : "";
    }
};

// A session window over a real session model, as the program puts them together.
struct Session {
    settings::AppSettings settings;
    session::SessionShared shared;
    RecordingDesktop desktop;
    RecordingPrompts prompts;
    CancelledSave saveDialog;
    gui::SessionWindow window{gui::SessionCaptions{}};
    session::SessionModel model{settings, shared, session::SessionPorts{window, desktop, prompts, saveDialog}};
    Session()
    {
        window.attach(&model);
        window.show();
    }
    ~Session() { window.attach(nullptr); }
    session::TabId idOf(const std::string& caption) { return model.Tabs().At(model.Tabs().Find(caption)).Id; }
    QStringList tabs() const
    {
        QStringList texts;
        for (int i = 0; i < window.tabWidget()->count(); ++i)
            texts << window.tabWidget()->tabText(i);
        return texts;
    }
};

// A text view over lines the test owns, sized and flushed so it can be painted and clicked.
struct Shown {
    session::FormattedText text;
    gui::TextView view;
    explicit Shown(const std::vector<std::string>& lines, session::Rgb colour = Black)
    {
        for (const auto& line : lines)
            text.Append(session::FormatLine(line, colour));
        view.resize(700, 240);
        view.setLines(&text);
        view.show();
        view.flushAppends();
    }
    int middleOf(int row) const { return row * view.lineHeight() + view.lineHeight() / 2; }
    // A point in the first line just after this much of its text.
    QPoint after(const QString& prefix) const { return {3 + view.fontMetrics().horizontalAdvance(prefix), middleOf(0)}; }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view.viewport(), to);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to);
    }
};

int countColour(const QImage& image, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

QStringList childNames(const QTreeWidgetItem* item)
{
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i)
        names << item->child(i)->text(0);
    return names;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
public:
    QList<QUrl> handedToDesktop;
public slots:
    void openUrl(const QUrl& url) { handedToDesktop << url; }

private slots:
    void initTestCase() { gui::initResources(); }

    void mainWindowStartsWithoutSettingsFilesAndRebuildsItsServerMenu()
    {
        TempFolder home;
        RecordingWindows sessions;
        auto shell = std::make_unique<gui::AppShell>(home.folder(), sessions);
        QElapsedTimer started;
        started.start();
        shell->start(app::splashTime());
        // CTest shortens the splash to 50 ms; unshortened it would last 3000 ms.
        QCOMPARE(qgetenv("PELL_IRC_SPLASH_MS"), QByteArray("50"));
        QVERIFY(started.elapsed() >= 50 && started.elapsed() < 3000);
        gui::MainWindow* window = shell->mainWindow();
        QVERIFY(window->isVisible() && window->windowTitle() == "Pell-IRC" && window->size() == QSize(866, 592));
        QVERIFY(window->serverMenu()->actions().isEmpty() && sessions.created.empty());
        QVERIFY(shell->core().settings() == settings::AppSettings{});
        QVERIFY(!shell->infoForm()->isVisible());
        window->helpMenu()->actions().front()->trigger();
        QVERIFY(shell->infoForm()->isVisible());

        writeBytes(home.file("SList.dat"), serverList({{"Net", 6667, false, "me"}, {"Other", 6667, false, "me"}}));
        shell.reset();
        shell = std::make_unique<gui::AppShell>(home.folder(), sessions);
        shell->start(std::chrono::milliseconds(0));
        QMenu* servers = shell->mainWindow()->serverMenu();
        servers->actions()[1]->trigger();
        QCOMPARE(sessions.created.size(), std::size_t(1));
        QCOMPARE(sessions.created[0].Name, std::string("Other"));
        // A rebuild after the list changed replaces every item.
        shell->core().servers().deleteEntries("Net");
        shell->core().serverViews().RebuildServerViews(shell->core().servers());
        QCOMPARE(captions(servers), QStringList{"Other"});
    }

    void mainWindowFitsSessionsShowsPanelsAndAddressesAndStaysOnTop()
    {
        TempFolder home;
        RecordingWindows sessions;
        RecordingPrompts prompts;
        RecordingDesktop desktop;
        app::AppCore core{home.folder(), sessions, prompts};
        gui::MainWindow window{core, desktop};
        // A session window placed before the area had its size is fitted into it once shown.
        QMdiSubWindow* sticking = window.sessionArea()->addSubWindow(new QWidget);
        sticking->setGeometry(-40, 10, 3000, 3000);
        core.createMainWindowData();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize room = window.sessionArea()->viewport()->size();
        QTRY_COMPARE(sticking->geometry(), QRect(0, 10, room.width(), room.height() - 10));

        window.updateStatus();
        QCOMPARE(window.uptimePanel()->text(), QStringLiteral("00:00:00"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\S.* --- \\S+$")).match(window.clockPanel()->text()).hasMatch());

        // Addresses seen in chats, newest first; a click opens the row under it, if any.
        session::CollectUrls("see http://a.example/x and www.b.example", core.shared().Addresses);
        session::CollectUrls("again http://a.example/x", core.shared().Addresses);
        QListWidget* list = window.addressList();
        QCOMPARE(rowsOf(list->model()), (QStringList{"http://a.example/x", "www.b.example", "http://a.example/x"}));
        list->setCurrentItem(nullptr);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 2));
        QVERIFY(desktop.opened.empty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(desktop.opened, std::vector<std::string>{"www.b.example"});

        // "On Top" twice returns to normal stacking, in place.
        const QPoint where = window.pos();
        for (const bool onTop : {true, false}) {
            window.onTopAction()->trigger();
            QCOMPARE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        QCOMPARE(window.pos(), where);

        // The desktop hands only web and mail addresses on, "www." as http.
        QDesktopServices::setUrlHandler("http", this, "openUrl");
        QDesktopServices::setUrlHandler("file", this, "openUrl");
        gui::QtDesktop().openUrl("file:///etc/passwd");
        gui::QtDesktop().openUrl("www.b.example/p");
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(handedToDesktop, QList<QUrl>{QUrl("http://www.b.example/p")});
    }

    void infoBoxSplashAndBrokenPictures()
    {
        RecordingDesktop desktop;
        gui::InfoForm info(desktop);
        QVERIFY(info.windowTitle() == "Info" && info.size() == QSize(273, 327) && info.minimumSize() == info.maximumSize());
        QStringList texts;
        bool picture = false; // the built-in JPEG at the top
        for (const QLabel* label : info.findChildren<QLabel*>()) {
            texts << label->text();
            picture = picture || label->pixmap().width() == 233;
        }
        QVERIFY(picture && texts.contains("Pell-IRC") && texts.contains(gui::InfoForm::ContactLine));
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        click(info.addressLabel());
        QCOMPARE(desktop.opened, std::vector<std::string>{gui::InfoForm::WebAddress});
        QTest::mouseDClick(info.addressLabel(), Qt::LeftButton);
        QVERIFY(info.figure()->pointsDrawn() == 6 && info.figure()->isVisible());
        info.hide(); // the figure lasts until the box is closed
        QCOMPARE(info.figure()->pointsDrawn(), 0);
        info.show();
        QVERIFY(!info.figure()->isVisible());

        gui::SplashWindow splash;
        QVERIFY(splash.size() == QSize(374, 215) && splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
        QVERIFY(splash.picture().pixel(5, 5) != splash.picture().pixel(187, 80)); // decoded, not a flat fill
        splash.showFor(std::chrono::milliseconds(0));
        QVERIFY(!splash.isVisible());

        QFile file(QStringLiteral(":/pell/resources/splash.jpg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray good = file.readAll();
        for (const QByteArray& broken : {QByteArray(), QByteArray("not a picture at all"), good.left(100)})
            QVERIFY(gui::decodeJpeg(broken).isNull());
        QByteArray scrambled = good;
        for (int i = 600; i < scrambled.size(); i += 7)
            scrambled[i] = char(0xff);
        gui::decodeJpeg(scrambled); // whatever comes out, it must not end the program
        // A file cut in the middle of its picture data keeps what was decoded.
        QCOMPARE(gui::decodeJpeg(good.left(good.size() / 2)).size(), QSize(374, 215));
    }

    void optionsDialogShowsEditsSavesAndWritesOnEveryClose()
    {
        Options h;
        QVERIFY(h.dialog.windowTitle() == "Options" && h.dialog.size() == QSize(750, 519) && !h.dialog.isModal());
        QCOMPARE(named<QTabWidget>(&h.dialog, "tabs")->count(), 6);
        QCOMPARE(h.edit("serverPort")->text(), QString("6667"));
        QVERIFY(named<QRadioButton>(&h.dialog, "english")->isChecked());
        QVERIFY(named<QCheckBox>(&h.dialog, "useStandard")->isChecked());
        QVERIFY(!named(&h.dialog, "serverIdentity")->isEnabled());
        for (auto [name, shown] : {std::pair{"proxyType", "svNoSocks"}, {"downloadMode", "ask for download"}}) {
            QCOMPARE(named<QComboBox>(&h.dialog, name)->currentIndex(), -1);
            QCOMPARE(named<QComboBox>(&h.dialog, name)->placeholderText(), QString(shown));
        }
        QCOMPARE(named<QListWidget>(&h.dialog, "extensionList2")->count(), 1);
        QCOMPARE(named<QTreeWidget>(&h.dialog, "folderRules")->topLevelItem(0)->text(1), QString("Rootfolder"));

        QTest::keyClicks(h.edit("proxyHost"), "proxy.lan");
        named<QComboBox>(&h.dialog, "proxyType")->activated(3);
        named<QRadioButton>(&h.dialog, "german")->click();
        QVERIFY(h.settings.ProxyHost == "proxy.lan" && h.settings.ProxyType == 3 && h.settings.Language == 1);
        QTest::keyClicks(h.edit("extensionField0"), "X");
        click(named(&h.dialog, "extensionSave0"));
        QCOMPARE(named<QListWidget>(&h.dialog, "extensionList0")->item(7)->text(), QString("*.mp3X"));

        h.dialog.showCentred();
        named<QTabWidget>(&h.dialog, "tabs")->setCurrentIndex(1); // the server list, Save in view
        h.edit("serverName")->setFocus();
        QTest::keyClicks(h.edit("serverName"), "Net");
        QTest::keyClick(h.edit("serverName"), Qt::Key_Return); // Enter in a field presses no Save
        QVERIFY(h.servers.entryCount() == 0 && !h.exists("SList.dat"));
        QTest::keyClicks(h.edit("serverHost"), "irc.net");
        click(named(&h.dialog, "serverSave"));
        auto* rows = named<QTreeWidget>(&h.dialog, "serverRows");
        QVERIFY(rows->topLevelItemCount() == 1 && rows->topLevelItem(0)->text(1) == "irc.net" && h.exists("SList.dat"));
        click(named(&h.dialog, "serverDelete"));
        QVERIFY(rows->topLevelItemCount() == 0 && h.servers.entryCount() == 0);

        auto* nick = named(&h.dialog, "user")->findChild<QLineEdit*>("nick");
        QTest::keyClicks(nick, "my nick");
        click(named(&h.dialog, "close"));
        QVERIFY(!h.dialog.isVisible() && h.exists("Proxy.ini"));
        QCOMPARE(nick->text(), QString("mynick"));
        fs::remove(h.temp.file("Proxy.ini"));
        h.dialog.showCentred();
        h.dialog.close(); // the window frame
        QVERIFY(h.exists("Proxy.ini") && h.prompts.errors.empty());
    }

    void quickConnectOpensASessionHoweverItCloses()
    {
        QuickConnect h;
        QVERIFY(h.dialog.windowTitle() == "Quick connect" && h.dialog.size() == QSize(334, 436));
        const std::string typed = h.run([&] {
            auto* nick = named<QLineEdit>(&h.dialog, "nick");
            QVERIFY(h.dialog.isModal() && h.dialog.isVisible() && nick->text() == "global" && !nick->isEnabled());
            named<QCheckBox>(&h.dialog, "useStandard")->click();
            nick->clear();
            QTest::keyClicks(nick, "one off");
            QTest::keyClicks(named(&h.dialog, "server"), "irc.example");
            click(named(&h.dialog, "connect"));
        });
        QCOMPARE(typed, "oneoff@irc.example");
        // By the frame, with the global identity read again at the opening.
        QuickConnect frame;
        frame.model.UseStandardSettingsChanged(false);
        frame.model.identity.values.Nick = "stale";
        QCOMPARE(frame.run([&] { frame.dialog.close(); }), "global@");
    }

    void folderChooserListsFoldersRereadsThemAndHandsOverTheSelection()
    {
        TempFolder temp;
        fs::create_directory(temp.path() / "music");
        writeBytes(temp.file("file.txt"), "x");
        gui::FolderChooser chooser(nullptr, temp.folder());
        QVERIFY(chooser.windowTitle() == "Folder" && chooser.size() == QSize(242, 425));
        QCOMPARE(chooser.selectedPath(), temp.path().string());
        auto* tree = chooser.findChild<QTreeWidget*>();
        tree->currentItem()->setExpanded(true);
        QCOMPARE(childNames(tree->currentItem()), QStringList{"music"});
        QVERIFY(!chooser.selectPath(temp.file("file.txt")));
        fs::create_directory(temp.path() / "new");
        QTest::keyClick(tree, Qt::Key_F5);
        QCOMPARE(childNames(tree->currentItem()), (QStringList{"music", "new"}));
        fs::create_directory(temp.path() / "later"); // seen without F5
        QTRY_COMPARE(childNames(tree->currentItem()), (QStringList{"later", "music", "new"}));

        gui::FolderChooser fromRoot(nullptr, "/");
        QVERIFY(fromRoot.selectPath(temp.file("music")));
        QTimer::singleShot(10, &fromRoot, [&] { fromRoot.close(); });
        QCOMPARE(fromRoot.choose(), temp.file("music"));
    }

    void sessionWindowFollowsTheModelsTabsAndShowsNamesLiterally()
    {
        Session s;
        gui::SessionWindow& w = s.window;
        QCOMPARE(s.tabs(), (QStringList{"Main", "Ignorlist"}));
        QVERIFY(w.windowTitle() == "Channel" && w.isStatusTimerRunning() && !w.isCloseTimerRunning());
        QVERIFY(w.nickViewOf(s.idOf("Main"))->width() == 123 && w.rawLogView()->height() == 29);
        QSignalSpy clicked(&w, &gui::SessionWindow::tabActivated);
        s.model.Tabs().NewChannel("#a");
        s.model.Tabs().NewChannel("#b&c");
        QCOMPARE(s.tabs(), (QStringList{"Main", "#a", "#b&&c", "Ignorlist"}));
        QCOMPARE(w.tabWidget()->currentIndex(), 2);
        QVERIFY(clicked.isEmpty()); // the model's own changes are not reported back
        const session::TabId closed = s.idOf("#a");
        QVERIFY(w.textViewOf(closed));
        s.model.Tabs().CloseTab(1);
        QCOMPARE(s.tabs(), (QStringList{"Main", "#b&&c", "Ignorlist"}));
        QVERIFY(!w.textViewOf(closed));
        w.tabWidget()->setCurrentIndex(0);
        QVERIFY(clicked.size() == 1 && clicked.at(0).at(0).toInt() == 0);
        QSignalSpy closing(&w, &gui::SessionWindow::tabCloseRequested);
        w.tabMenu()->actions().first()->trigger();
        QCOMPARE(closing.at(0).at(0).value<session::TabId>(), s.model.Tabs().Active().Id);

        // Names from the server are never markup, and not always UTF-8.
        s.model.SetStatusPanel(2, "<img src=\"http://x/y.png\">");
        QCOMPARE(w.statusLabel(2)->text(), QString("<img src=\"http://x/y.png\">"));
        QCOMPARE(w.statusLabel(2)->textFormat(), Qt::PlainText);
        s.model.Tabs().NewChannel("#gr\xFC\xDF");
        QCOMPARE(w.tabWidget()->tabText(2), QString::fromUtf8("#grüß"));

        // Codes in a raw line show as their pictures; the newest line is current.
        for (const char* line : {":a 001 me :hi", "PRIVMSG #c :\x03" "4red\x02"})
            s.model.AppendRaw(line, true);
        QTRY_COMPARE(w.rawLogView()->model()->rowCount(), 2);
        QCOMPARE(w.rawLogView()->currentIndex().data().toString(), QString::fromUtf8("PRIVMSG #c :\u24034red\u2402"));
    }

    void sessionWindowLinesLinksNickListAndMenu()
    {
        qRegisterMetaType<Nick>();
        Session s;
        s.model.AddText("#a", "bob", "hi www.x.org", 0);
        gui::TextView* text = s.window.textViewOf(s.idOf("#a"));
        text->flushAppends();
        text->selectAll();
        QCOMPARE(text->selectedText(), QString("<bob>:hi www.x.org"));
        s.model.ClearActive();
        QCOMPARE(text->selectedText(), QString());
        QSignalSpy links(&s.window, &gui::SessionWindow::linkClicked);
        s.model.AddText("#a", "bob", "http://ex\xC3\xA4mple.de/a b", 0);
        text->flushAppends();
        const int x = 3 + text->fontMetrics().horizontalAdvance("<bob>:http://ex");
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(x, text->lineHeight() / 2));
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.at(0).at(0).toString(), QString("http://xn--exmple-cua.de/a"));

        QListView* view = s.window.nickViewOf(s.idOf("#a"));
        QAbstractItemModel* nicks = view->model();
        s.model.Tabs().RefillNickList("#a", {"bob", "amy", "cy"}, {1, 2, 0});
        QCOMPARE(rowsOf(nicks), (QStringList{"+amy", "@bob", "cy"}));
        QSignalSpy actions(&s.window, &gui::SessionWindow::nickActionTriggered);
        s.window.triggerNickAction(Nick::Kick); // nothing selected
        QVERIFY(actions.isEmpty());
        view->setCurrentIndex(nicks->index(1, 0));
        s.window.triggerNickAction(Nick::Kick);
        QCOMPARE(actions.size(), 1);
        QCOMPARE(actions.at(0).at(0).value<Nick>(), Nick::Kick);
        QCOMPARE(actions.at(0).at(1).toByteArray(), QByteArray("@bob"));
        QMenu* menu = s.window.nickMenu();
        const QList<QAction*> dcc = menu->actions().at(1)->menu()->actions();
        QVERIFY(dcc.size() == 2 && !dcc.at(0)->isEnabled() && !dcc.at(1)->isEnabled());
        QCOMPARE(captions(menu->actions().at(2)->menu()), (QStringList{"Voice", "DeVoice", "Op", "DeOp"}));
        menu->actions().at(2)->menu()->actions().at(2)->trigger();
        QCOMPARE(actions.last().at(0).value<Nick>(), Nick::Op);

        QSignalSpy opened(&s.window, &gui::SessionWindow::nickDoubleClicked);
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        const QPoint first = view->visualRect(nicks->index(0, 0)).center();
        // Item views want the press before the double-click, as a real mouse sends it.
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toByteArray(), QByteArray("+amy"));

        // A bulk refill resets the list once, not once per row.
        std::vector<std::string> many;
        for (int i = 0; i < 10000; ++i)
            many.push_back("user" + std::to_string(i));
        QSignalSpy resets(nicks, &QAbstractItemModel::modelReset);
        s.model.Tabs().RefillNickList("#a", many, std::vector<int>(many.size(), 0));
        QVERIFY(resets.size() == 1 && nicks->rowCount() == 10000);
    }

    void sessionWindowIgnoreListInputAndClose()
    {
        Session s;
        gui::SessionWindow& w = s.window;
        QObject::connect(&w, &gui::SessionWindow::ignoreEntrySelected, &w, [&](int row) { s.model.SelectIgnoreEntry(row); });
        QObject::connect(&w, &gui::SessionWindow::ignoreDeleteRequested, &w, [&] { s.model.DeleteSelectedIgnore(); });
        for (const char* nick : {"bob", "amy", "cy"})
            s.model.IgnoreNick(nick);
        QListView* ignored = w.ignoreView();
        ignored->setCurrentIndex(ignored->model()->index(1, 0));
        QTest::keyRelease(ignored, Qt::Key_Delete);
        QCOMPARE(rowsOf(ignored->model()), (QStringList{"bob", "cy"}));
        ignored->setCurrentIndex(ignored->model()->index(0, 0));
        w.ignoreMenu()->actions().first()->trigger();
        QCOMPARE(s.model.Ignores().Entries(), std::vector<std::string>{"cy"});

        QLineEdit* input = w.inputLine();
        QSignalSpy up(&w, &gui::SessionWindow::historyUp);
        QSignalSpy down(&w, &gui::SessionWindow::historyDown);
        QSignalSpy action(&w, &gui::SessionWindow::actionClicked);
        input->insert(QString::fromUtf8("grüß <b>"));
        for (const auto key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down})
            QTest::keyClick(input, key);
        QVERIFY(up.size() == 1 && down.size() == 2);
        for (auto* button : w.findChildren<QPushButton*>())
            if (button->text() == "Action")
                button->click();
        QCOMPARE(action.at(0).at(0).toString(), QString::fromUtf8("grüß <b>"));
        w.setInputText("older line");
        QVERIFY(input->text() == "older line" && input->cursorPosition() == 10);

        bool refuse = true;
        QObject::connect(&w, &gui::SessionWindow::closeRequested, &w, [&](bool* allowed) { *allowed = !refuse; });
        QVERIFY(!w.close() && w.isVisible());
        refuse = false;
        QVERIFY(w.close() && !w.isStatusTimerRunning());
    }

    void textDecodesEachLineAsUtf8ElseLatin1AndKeepsItsRuns()
    {
        const std::pair<std::string, const char*> rows[] = {
            {"gr\xC3\xBC\xC3\x9F", "grüß"},
            {"gr\xFC\xDF", "grüß"},                    // Latin-1
            {"\xC3\xBC and \xFC", "Ã¼ and ü"},         // one bad byte: the whole line Latin-1
            {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}, // outside the basic plane
            {"a\xC3\x02\xBC" "b", "aüb"},             // a bold code inside a character does not break it
            {"a\x01" "b", "a\u2401b"},                 // other control bytes show as pictures
        };
        for (const auto& [bytes, shown] : rows) {
            QCOMPARE(gui::BuildDisplayLine(session::FormatLine(bytes, Black)).Text, QString::fromUtf8(shown));
            if (bytes.find_first_of("\x01\x02") == std::string::npos)
                QCOMPARE(gui::DecodeLine(bytes), QString::fromUtf8(shown));
        }
        // a, bold b, c in red underlined; the runs keep their places after a surrogate pair.
        const gui::DisplayLine line = gui::BuildDisplayLine(
            session::FormatLine("a\x02" "b\x02\x03" "4\x1F" "c\xF0\x9F\x98\x80x", session::RgbColour(0, 0, 0xFF)));
        QStringList runs;
        for (const auto& r : line.Formats)
            runs << QString("%1+%2 %3%4%5").arg(r.start).arg(r.length).arg(r.format.foreground().color().name(),
                                                                           r.format.fontWeight() == QFont::Bold ? " bold" : "",
                                                                           r.format.fontUnderline() ? " ul" : "");
        QCOMPARE(runs, (QStringList{"0+1 #0000ff", "1+1 #0000ff bold", "2+4 #ff0000 ul"}));
    }

    void textViewPaintsColoursAndShowsHtmlLiterally()
    {
        Shown shown({"\x03" "4MMMMMMMMMMMMMMMM", "\x03" "9MMMMMMMMMMMMMMMM", "MMMMMMMMMMMMMMMM"}, session::RgbColour(0, 0, 0xFF));
        const QImage image = shown.view.viewport()->grab().toImage();
        const auto row = [&](int i) { return image.copy(0, i * shown.view.lineHeight(), image.width(), shown.view.lineHeight()); };
        QVERIFY(countColour(row(0), Qt::red) > 20 && countColour(row(0), Qt::green) == 0);
        QVERIFY(countColour(row(1), Qt::green) > 20);
        QVERIFY(countColour(row(2), Qt::blue) > 20 && countColour(row(2), Qt::red) == 0);

        const QString html = "<bob>:<img src=\"file:///x.png\"><a href=\"javascript:x()\">hi</a><b>&amp;";
        Shown literal({html.toStdString()});
        literal.view.selectAll();
        QCOMPARE(literal.view.selectedText(), html);
        QVERIFY(gui::BuildDisplayLine(literal.text.Lines()[0]).Links.empty());
    }

    void textViewSelectsCopiesAndOpensAllowedLinksOnAClickNotADrag()
    {
        const QString first = "see http://a.org/x b file:///etc/passwd c www.b.de";
        Shown shown({first.toStdString(), "<amy>:\x02second\x02 line", "<cy>:third"});
        shown.drag(QPoint(1, shown.middleOf(0)), QPoint(600, shown.middleOf(1)));
        QCOMPARE(shown.view.selectedText(), first + "\n<amy>:second line");
        QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), first + "\n<amy>:second line");
        QTest::keyClick(&shown.view, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(shown.view.selectedText().endsWith("line\n<cy>:third"));
        QTest::mouseDClick(shown.view.viewport(), Qt::LeftButton, {}, QPoint(shown.after("<amy>:second li").x(), shown.middleOf(1)));
        QCOMPARE(shown.view.selectedText(), QString("line"));

        std::set<QString> found;
        for (int x = 0; x < shown.view.viewport()->width(); ++x)
            if (const auto url = shown.view.linkAt(QPoint(x, shown.middleOf(0))))
                found.insert(url->toString());
        QCOMPARE(found, (std::set<QString>{"http://a.org/x", "http://www.b.de"}));
        QVERIFY(!shown.view.linkAt(QPoint(5, shown.middleOf(1))));
        const QPoint onLink = shown.after("see http://a.");
        QSignalSpy opened(&shown.view, &gui::TextView::linkActivated);
        QTest::mouseClick(shown.view.viewport(), Qt::LeftButton, {}, onLink);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toUrl(), QUrl("http://a.org/x"));
        shown.drag(onLink, QPoint(1, shown.middleOf(0)));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(shown.view.selectedText(), QString("see http://a."));

        shown.text.Clear();
        shown.view.linesCleared();
        QVERIFY(shown.view.selectedText().isEmpty() && shown.view.verticalScrollBar()->maximum() == 0);
        shown.view.viewport()->grab(); // paints nothing, touches no old line
    }

    void textViewStaysPinnedUnlessScrolledUp()
    {
        Shown shown({});
        QScrollBar* bar = shown.view.verticalScrollBar();
        const auto append = [&](int count) {
            for (int i = 0; i < count; ++i) {
                shown.text.Append(session::FormatLine("line " + std::to_string(i), Black));
                shown.view.linesAppended();
            }
        };
        append(500);
        // Appends are coalesced: the view catches up with the next repaint, not per line.
        QCOMPARE(bar->maximum(), 0);
        QTRY_VERIFY(bar->maximum() > 400 && bar->value() == bar->maximum());
        bar->setValue(10);
        append(100);
        shown.view.flushAppends();
        QVERIFY(bar->value() == 10 && !shown.view.isPinnedToBottom());
        bar->setValue(bar->maximum());
        append(100);
        shown.view.flushAppends();
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(shown.view.firstVisibleLine() + bar->pageStep(), 700);
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
