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
void click(QWidget* widget, QPoint at = {}) { QTest::mouseClick(widget, Qt::LeftButton, {}, at); }

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
    // A point in this row just after this much of its text.
    QPoint at(int row, const QString& prefix = {}) const
    {
        return {3 + view.fontMetrics().horizontalAdvance(prefix), row * view.lineHeight() + view.lineHeight() / 2};
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view.viewport(), to);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to);
    }
};

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
public:
    QList<QUrl> handedToDesktop;
public slots:
    void openUrl(const QUrl& url) { handedToDesktop << url; }

private slots:
    void initTestCase()
    {
        gui::initResources();
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
    }
    void cleanupTestCase()
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void mainWindowAboutBoxAndServerMenu()
    {
        TempFolder home;
        RecordingWindows sessions;
        gui::AppShell shell(home.folder(), sessions);
        QElapsedTimer started;
        started.start();
        shell.start(app::splashTime());
        // CTest shortens the splash to 50 ms; unshortened it would last 3000 ms.
        QCOMPARE(qgetenv("PELL_IRC_SPLASH_MS"), QByteArray("50"));
        QVERIFY(started.elapsed() >= 50 && started.elapsed() < 3000);
        gui::MainWindow* window = shell.mainWindow();
        QVERIFY(window->isVisible() && window->windowTitle() == "Pell-IRC" && window->size() == QSize(866, 592));
        QVERIFY(window->serverMenu()->actions().isEmpty() && shell.core().settings() == settings::AppSettings{});
        window->updateStatus();
        QCOMPARE(window->uptimePanel()->text(), QStringLiteral("00:00:00"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\S.* --- \\S+$")).match(window->clockPanel()->text()).hasMatch());

        // The about box: name, contact, the built-in picture; its address opens on a click,
        // a double-click draws the figure, which lasts until the box is closed.
        gui::InfoForm* info = shell.infoForm();
        QVERIFY(!info->isVisible());
        window->helpMenu()->actions().front()->trigger();
        QVERIFY(info->isVisible() && info->size() == QSize(273, 327) && info->minimumSize() == info->maximumSize());
        QStringList texts;
        for (const QLabel* label : info->findChildren<QLabel*>())
            texts << (label->pixmap().width() == 233 ? "picture" : label->text());
        QVERIFY(texts.contains("picture") && texts.contains("Pell-IRC") && texts.contains(gui::InfoForm::ContactLine));
        QVERIFY(QTest::qWaitForWindowExposed(info));
        click(info->addressLabel());
        QCOMPARE(handedToDesktop, QList<QUrl>{QUrl(gui::InfoForm::WebAddress)});
        QTest::mouseDClick(info->addressLabel(), Qt::LeftButton);
        QVERIFY(info->figure()->pointsDrawn() == 6 && info->figure()->isVisible());
        info->hide();
        info->show();
        QVERIFY(info->figure()->pointsDrawn() == 0 && !info->figure()->isVisible());

        // Server menu: a click starts that entry; a rebuild replaces every item.
        settings::ServerList& list = shell.core().servers();
        for (const char* name : {"Net", "Other"})
            list.storeEntry(settings::ServerList::entryLines(settings::TSSettings{.Name = name}));
        shell.core().serverViews().RebuildServerViews(list);
        window->serverMenu()->actions()[1]->trigger();
        QVERIFY(sessions.created.size() == 1 && sessions.created[0].Name == "Other");
        list.deleteEntries("Net");
        shell.core().serverViews().RebuildServerViews(list);
        QCOMPARE(captions(window->serverMenu()), QStringList{"Other"});
    }

    void mainWindowFitsSessionsListsAddressesAndStaysOnTop()
    {
        TempFolder home;
        RecordingWindows sessions;
        gui::AppShell shell(home.folder(), sessions);
        shell.start(std::chrono::milliseconds(0));
        gui::MainWindow* window = shell.mainWindow();
        handedToDesktop.clear();
        // A session window placed before the area had its size is fitted into it once shown.
        window->hide();
        QMdiSubWindow* sticking = window->sessionArea()->addSubWindow(new QWidget);
        sticking->setGeometry(-40, 10, 3000, 3000);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QSize room = window->sessionArea()->viewport()->size();
        QTRY_COMPARE(sticking->geometry(), QRect(0, 10, room.width(), room.height() - 10));

        // Addresses seen in chats, newest first; a click opens the row under it, if any.
        session::CollectUrls("see http://a.example/x and www.b.example", shell.core().shared().Addresses);
        session::CollectUrls("again http://a.example/x", shell.core().shared().Addresses);
        QListWidget* list = window->addressList();
        QCOMPARE(rowsOf(list->model()), (QStringList{"http://a.example/x", "www.b.example", "http://a.example/x"}));
        QVERIFY(list->height() == 71 && !list->currentItem());
        click(list->viewport(), QPoint(5, list->viewport()->height() - 2));
        click(list->viewport(), list->visualItemRect(list->item(1)).center());
        // The desktop takes only web and mail addresses, "www." as http.
        gui::QtDesktop().openUrl("file:///etc/passwd");
        QCOMPARE(handedToDesktop, QList<QUrl>{QUrl("http://www.b.example")});

        // "On Top" twice returns to normal stacking, in place.
        const QPoint where = window->pos();
        for (const bool onTop : {true, false}) {
            window->onTopAction()->trigger();
            QCOMPARE(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        QCOMPARE(window->pos(), where);
    }

    void splashShowsTheBuiltInPictureAndBrokenPicturesGiveNothing()
    {
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
        TempFolder temp;
        settings::AppSettings values;
        settings::ServerList servers;
        settings::ServerViews views;
        RecordingPrompts prompts;
        settings::OptionsModel model{values, servers, views, settings::AppSettingsFiles(settings::SettingsFolder(temp.folder())),
                                     prompts, temp.folder()};
        gui::FolderChooser chooser{nullptr, temp.folder()};
        gui::OptionsDialog dialog{nullptr, model, chooser};
        const auto edit = [&](const char* name) { return named<QLineEdit>(&dialog, name); };
        QVERIFY(dialog.windowTitle() == "Options" && dialog.size() == QSize(750, 519) && !dialog.isModal());
        QCOMPARE(named<QTabWidget>(&dialog, "tabs")->count(), 6);
        QCOMPARE(edit("serverPort")->text(), QString("6667"));
        QVERIFY(named<QRadioButton>(&dialog, "english")->isChecked() && named<QCheckBox>(&dialog, "useStandard")->isChecked());
        QVERIFY(!named(&dialog, "serverIdentity")->isEnabled());
        for (auto [name, shown] : {std::pair{"proxyType", "svNoSocks"}, {"downloadMode", "ask for download"}}) {
            QCOMPARE(named<QComboBox>(&dialog, name)->currentIndex(), -1);
            QCOMPARE(named<QComboBox>(&dialog, name)->placeholderText(), QString(shown));
        }
        QCOMPARE(named<QTreeWidget>(&dialog, "folderRules")->topLevelItem(0)->text(1), QString("Rootfolder"));

        QTest::keyClicks(edit("proxyHost"), "proxy.lan");
        named<QComboBox>(&dialog, "proxyType")->activated(3);
        named<QRadioButton>(&dialog, "german")->click();
        QVERIFY(values.ProxyHost == "proxy.lan" && values.ProxyType == 3 && values.Language == 1);
        QTest::keyClicks(edit("extensionField0"), "X");
        click(named(&dialog, "extensionSave0"));
        QCOMPARE(named<QListWidget>(&dialog, "extensionList0")->item(7)->text(), QString("*.mp3X"));

        dialog.showCentred();
        named<QTabWidget>(&dialog, "tabs")->setCurrentIndex(1); // the server list, Save in view
        edit("serverName")->setFocus();
        QTest::keyClicks(edit("serverName"), "Net");
        QTest::keyClick(edit("serverName"), Qt::Key_Return); // Enter in a field presses no Save
        QVERIFY(servers.entryCount() == 0 && !fs::exists(temp.file("SList.dat")));
        QTest::keyClicks(edit("serverHost"), "irc.net");
        click(named(&dialog, "serverSave"));
        auto* rows = named<QTreeWidget>(&dialog, "serverRows");
        QVERIFY(rows->topLevelItemCount() == 1 && rows->topLevelItem(0)->text(1) == "irc.net");
        QVERIFY(fs::exists(temp.file("SList.dat")));
        click(named(&dialog, "serverDelete"));
        QVERIFY(rows->topLevelItemCount() == 0 && servers.entryCount() == 0);

        auto* nick = named(&dialog, "user")->findChild<QLineEdit*>("nick");
        QTest::keyClicks(nick, "my nick");
        click(named(&dialog, "close"));
        QVERIFY(!dialog.isVisible() && fs::exists(temp.file("Proxy.ini")) && nick->text() == "mynick");
        fs::remove(temp.file("Proxy.ini"));
        dialog.showCentred();
        dialog.close(); // the window frame
        QVERIFY(fs::exists(temp.file("Proxy.ini")) && prompts.errors.empty());
    }

    void quickConnectAndFolderChooserHandOverHoweverTheyClose()
    {
        QuickConnect typed;
        QVERIFY(typed.dialog.windowTitle() == "Quick connect" && typed.dialog.size() == QSize(334, 436));
        const std::string opened = typed.run([&] {
            auto* nick = named<QLineEdit>(&typed.dialog, "nick");
            QVERIFY(typed.dialog.isModal() && typed.dialog.isVisible() && nick->text() == "global" && !nick->isEnabled());
            named<QCheckBox>(&typed.dialog, "useStandard")->click();
            nick->clear();
            QTest::keyClicks(nick, "one off");
            QTest::keyClicks(named(&typed.dialog, "server"), "irc.example");
            click(named(&typed.dialog, "connect"));
        });
        QCOMPARE(opened, "oneoff@irc.example");
        // By the frame, with the global identity read again at the opening.
        QuickConnect frame;
        frame.model.UseStandardSettingsChanged(false);
        frame.model.identity.values.Nick = "stale";
        QCOMPARE(frame.run([&] { frame.dialog.close(); }), "global@");

        TempFolder temp;
        fs::create_directory(temp.path() / "music");
        writeBytes(temp.file("file.txt"), "x");
        gui::FolderChooser chooser(nullptr, temp.folder());
        QVERIFY(chooser.windowTitle() == "Folder" && chooser.size() == QSize(242, 425));
        QCOMPARE(chooser.selectedPath(), temp.path().string());
        auto* tree = chooser.findChild<QTreeWidget*>();
        tree->currentItem()->setExpanded(true);
        QCOMPARE(rowsOf(tree->model(), tree->currentIndex()), QStringList{"music"}); // folders only
        QVERIFY(!chooser.selectPath(temp.file("file.txt")));
        fs::create_directory(temp.path() / "new");
        QTest::keyClick(tree, Qt::Key_F5);
        QCOMPARE(rowsOf(tree->model(), tree->currentIndex()), (QStringList{"music", "new"}));
        fs::create_directory(temp.path() / "later"); // seen without F5
        QTRY_COMPARE(rowsOf(tree->model(), tree->currentIndex()), (QStringList{"later", "music", "new"}));
        gui::FolderChooser fromRoot(nullptr, "/");
        QVERIFY(fromRoot.selectPath(temp.file("music")));
        QTimer::singleShot(10, &fromRoot, [&] { fromRoot.close(); });
        QCOMPARE(fromRoot.choose(), temp.file("music"));
    }

    void sessionWindowShowsItsModelAndForwardsTheUser()
    {
        qRegisterMetaType<Nick>();
        settings::AppSettings values;
        session::SessionShared shared;
        RecordingDesktop desktop;
        RecordingPrompts prompts;
        CancelledSave saveDialog;
        gui::SessionWindow w{gui::SessionCaptions{}};
        session::SessionModel model{values, shared, session::SessionPorts{w, desktop, prompts, saveDialog}};
        w.attach(&model);
        w.show();
        session::SessionTabs& tabs = model.Tabs();
        const auto idOf = [&](const std::string& caption) { return tabs.At(tabs.Find(caption)).Id; };
        const auto tabTexts = [&] {
            QStringList texts;
            for (int i = 0; i < w.tabWidget()->count(); ++i)
                texts << w.tabWidget()->tabText(i);
            return texts;
        };
        QCOMPARE(tabTexts(), (QStringList{"Main", "Ignorlist"}));
        QVERIFY(w.windowTitle() == "Channel" && w.isStatusTimerRunning() && !w.isCloseTimerRunning());
        QVERIFY(w.nickViewOf(idOf("Main"))->width() == 123 && w.rawLogView()->height() == 29);

        // Tabs follow the model; only the user's clicks are reported back.
        QSignalSpy clicked(&w, &gui::SessionWindow::tabActivated);
        tabs.NewChannel("#a");
        tabs.NewChannel("#b&c");
        QVERIFY(tabTexts() == QStringList({"Main", "#a", "#b&&c", "Ignorlist"}) && w.tabWidget()->currentIndex() == 2);
        const session::TabId closed = idOf("#a");
        QVERIFY(w.textViewOf(closed));
        tabs.CloseTab(1);
        QVERIFY(tabTexts() == QStringList({"Main", "#b&&c", "Ignorlist"}) && !w.textViewOf(closed));
        QVERIFY(clicked.isEmpty());
        w.tabWidget()->setCurrentIndex(0);
        QVERIFY(clicked.size() == 1 && clicked.at(0).at(0).toInt() == 0);
        QSignalSpy closing(&w, &gui::SessionWindow::tabCloseRequested);
        w.tabMenu()->actions().first()->trigger();
        QCOMPARE(closing.at(0).at(0).value<session::TabId>(), tabs.Active().Id);

        // Names from the server are never markup, and not always UTF-8; codes in a raw
        // line show as their pictures, and the newest raw line is current.
        model.SetStatusPanel(2, "<img src=\"http://x/y.png\">");
        QVERIFY(w.statusLabel(2)->text() == "<img src=\"http://x/y.png\">" && w.statusLabel(2)->textFormat() == Qt::PlainText);
        tabs.NewChannel("#gr\xFC\xDF");
        QCOMPARE(w.tabWidget()->tabText(2), QString::fromUtf8("#grüß"));
        for (const char* line : {":a 001 me :hi", "PRIVMSG #c :\x03" "4red\x02"})
            model.AppendRaw(line, true);
        QTRY_COMPARE(w.rawLogView()->model()->rowCount(), 2);
        QCOMPARE(w.rawLogView()->currentIndex().data().toString(), QString::fromUtf8("PRIVMSG #c :\u24034red\u2402"));

        // Lines reach their tab's view, Clear empties it, and a link opens on a click.
        model.AddText("#a", "bob", "hi www.x.org", 0);
        gui::TextView* text = w.textViewOf(idOf("#a"));
        text->flushAppends();
        text->selectAll();
        QCOMPARE(text->selectedText(), QString("<bob>:hi www.x.org"));
        model.ClearActive();
        QCOMPARE(text->selectedText(), QString());
        QSignalSpy links(&w, &gui::SessionWindow::linkClicked);
        model.AddText("#a", "bob", "http://ex\xC3\xA4mple.de/a b", 0);
        text->flushAppends();
        click(text->viewport(), QPoint(3 + text->fontMetrics().horizontalAdvance("<bob>:http://ex"), text->lineHeight() / 2));
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.at(0).at(0).toString(), QString("http://xn--exmple-cua.de/a"));

        // Nick list actions need a selection and carry the entry as shown.
        QListView* view = w.nickViewOf(idOf("#a"));
        QAbstractItemModel* nicks = view->model();
        tabs.RefillNickList("#a", {"bob", "amy", "cy"}, {1, 2, 0});
        QCOMPARE(rowsOf(nicks), (QStringList{"+amy", "@bob", "cy"}));
        QSignalSpy actions(&w, &gui::SessionWindow::nickActionTriggered);
        w.triggerNickAction(Nick::Kick);
        QVERIFY(actions.isEmpty());
        view->setCurrentIndex(nicks->index(1, 0));
        w.triggerNickAction(Nick::Kick);
        QVERIFY(actions.size() == 1 && actions.at(0).at(0).value<Nick>() == Nick::Kick);
        QCOMPARE(actions.at(0).at(1).toByteArray(), QByteArray("@bob"));
        const QList<QAction*> dcc = w.nickMenu()->actions().at(1)->menu()->actions();
        QVERIFY(dcc.size() == 2 && !dcc.at(0)->isEnabled() && !dcc.at(1)->isEnabled());
        QMenu* misc = w.nickMenu()->actions().at(2)->menu();
        QCOMPARE(captions(misc), (QStringList{"Voice", "DeVoice", "Op", "DeOp"}));
        misc->actions().at(2)->trigger();
        QCOMPARE(actions.last().at(0).value<Nick>(), Nick::Op);
        QSignalSpy opened(&w, &gui::SessionWindow::nickDoubleClicked);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint first = view->visualRect(nicks->index(0, 0)).center();
        // Item views want the press before the double-click, as a real mouse sends it.
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        QVERIFY(opened.size() == 1 && opened.at(0).at(0).toByteArray() == "+amy");
        std::vector<std::string> many(10000);
        for (std::size_t i = 0; i < many.size(); ++i)
            many[i] = "u" + std::to_string(i);
        QSignalSpy resets(nicks, &QAbstractItemModel::modelReset); // a bulk refill resets once, not per row
        tabs.RefillNickList("#a", many, std::vector<int>(many.size(), 0));
        QVERIFY(resets.size() == 1 && nicks->rowCount() == 10000);

        // The ignore list deletes the selected entry by key and by its menu.
        QObject::connect(&w, &gui::SessionWindow::ignoreEntrySelected, &w, [&](int row) { model.SelectIgnoreEntry(row); });
        QObject::connect(&w, &gui::SessionWindow::ignoreDeleteRequested, &w, [&] { model.DeleteSelectedIgnore(); });
        for (const char* nick : {"bob", "amy", "cy"})
            model.IgnoreNick(nick);
        QListView* ignored = w.ignoreView();
        ignored->setCurrentIndex(ignored->model()->index(1, 0));
        QTest::keyRelease(ignored, Qt::Key_Delete);
        QCOMPARE(rowsOf(ignored->model()), (QStringList{"bob", "cy"}));
        ignored->setCurrentIndex(ignored->model()->index(0, 0));
        w.ignoreMenu()->actions().first()->trigger();
        QCOMPARE(model.Ignores().Entries(), std::vector<std::string>{"cy"});

        // The input line: history keys, Action with the typed text, a recalled line.
        QSignalSpy up(&w, &gui::SessionWindow::historyUp);
        QSignalSpy down(&w, &gui::SessionWindow::historyDown);
        QSignalSpy action(&w, &gui::SessionWindow::actionClicked);
        w.inputLine()->insert(QString::fromUtf8("grüß <b>"));
        for (const auto key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down})
            QTest::keyClick(w.inputLine(), key);
        QVERIFY(up.size() == 1 && down.size() == 2);
        for (auto* button : w.findChildren<QPushButton*>())
            if (button->text() == "Action")
                button->click();
        QCOMPARE(action.at(0).at(0).toString(), QString::fromUtf8("grüß <b>"));
        w.setInputText("older line");
        QVERIFY(w.inputLine()->text() == "older line" && w.inputLine()->cursorPosition() == 10);

        bool refuse = true;
        QObject::connect(&w, &gui::SessionWindow::closeRequested, &w, [&](bool* allowed) { *allowed = !refuse; });
        QVERIFY(!w.close() && w.isVisible());
        refuse = false;
        QVERIFY(w.close() && !w.isStatusTimerRunning());
        w.attach(nullptr);
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

    void textViewPaintsSelectsCopiesAndOpensAllowedLinks()
    {
        Shown colours({"\x03" "4MMMMMMMMMMMMMMMM", "\x03" "9MMMMMMMMMMMMMMMM", "MMMMMMMMMMMMMMMM"}, session::RgbColour(0, 0, 0xFF));
        const QImage image = colours.view.viewport()->grab().toImage();
        const auto count = [&](int row, QColor colour) {
            int found = 0;
            for (int y = row * colours.view.lineHeight(); y < (row + 1) * colours.view.lineHeight(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    found += image.pixelColor(x, y) == colour;
            return found;
        };
        QVERIFY(count(0, Qt::red) > 20 && count(0, Qt::green) == 0 && count(1, Qt::green) > 20);
        QVERIFY(count(2, Qt::blue) > 20 && count(2, Qt::red) == 0);

        const QString first = "see http://a.org/x b file:///etc/passwd c www.b.de <b>&amp;";
        Shown shown({first.toStdString(), "<amy>:\x02second\x02 line", "<cy>:third"});
        shown.drag(QPoint(1, shown.at(0).y()), QPoint(600, shown.at(1).y()));
        QCOMPARE(shown.view.selectedText(), first + "\n<amy>:second line"); // received HTML stays literal
        QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), first + "\n<amy>:second line");
        QTest::keyClick(&shown.view, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(shown.view.selectedText().endsWith("line\n<cy>:third"));
        QTest::mouseDClick(shown.view.viewport(), Qt::LeftButton, {}, shown.at(1, "<amy>:second li"));
        QCOMPARE(shown.view.selectedText(), QString("line"));

        std::set<QString> found;
        for (int x = 0; x < shown.view.viewport()->width(); ++x)
            if (const auto url = shown.view.linkAt(QPoint(x, shown.at(0).y())))
                found.insert(url->toString());
        QCOMPARE(found, (std::set<QString>{"http://a.org/x", "http://www.b.de"}));
        QVERIFY(!shown.view.linkAt(shown.at(1)));
        QSignalSpy opened(&shown.view, &gui::TextView::linkActivated);
        click(shown.view.viewport(), shown.at(0, "see http://a."));
        QVERIFY(opened.size() == 1 && opened.at(0).at(0).toUrl() == QUrl("http://a.org/x"));
        shown.drag(shown.at(0, "see http://a."), shown.at(0)); // a drag selects and opens nothing
        QVERIFY(opened.size() == 1 && shown.view.selectedText() == "see http://a.");

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
