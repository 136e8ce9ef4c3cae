// The windows on their own, offscreen: what they draw, how they wire widgets to the
// models, focus, menus, and dialogs opening and closing. What the models decide is
// tested with the models; here only that the window shows and forwards it.

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
#include "settings/SettingsTestSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest>

#include <filesystem>
#include <set>

using namespace pell;
using namespace pell::test;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(pell::gui::NickAction)

namespace {

constexpr session::Rgb Black = session::RgbColour(0, 0, 0);
constexpr session::Rgb Blue = session::RgbColour(0, 0, 0xFF);

// A main window over a program core with no settings files.
struct Main {
    TempFolder home;
    RecordingWindows sessions;
    RecordingPrompts prompts;
    RecordingDesktop desktop;
    app::AppCore core{home.folder(), sessions, prompts};
    gui::MainWindow window{core, desktop};
};

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

    template <typename T> T* find(const char* name) { return dialog.findChild<T*>(name); }
    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    bool exists(const char* file) { return fs::exists(temp.file(file)); }
};

// The quick connect dialog; run() acts on it once it is shown.
struct QuickConnect {
    QuickConnect() { settings.Nick = "global"; }
    settings::AppSettings settings;
    settings::ServerList servers;
    RecordingWindows windows;
    RecordingPrompts prompts;
    settings::SessionLauncher launcher{servers, windows, prompts};
    settings::QuickConnectModel model{settings, launcher, prompts};
    gui::QuickConnectDialog dialog{nullptr, model};

    QLineEdit* edit(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    void run(std::function<void()> whileOpen)
    {
        QTimer::singleShot(0, &dialog, whileOpen);
        dialog.run();
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

    QStringList tabCaptions() const
    {
        QStringList texts;
        for (int i = 0; i < window.tabWidget()->count(); ++i)
            texts << window.tabWidget()->tabText(i);
        return texts;
    }
    session::TabId idOf(const std::string& caption) { return model.Tabs().At(model.Tabs().Find(caption)).Id; }
    QStringList nickRows(const std::string& caption) { return rowsOf(window.nickViewOf(idOf(caption))->model()); }
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
    QPoint after(const QString& prefix) const
    {
        return QPoint(3 + QFontMetrics(view.font()).horizontalAdvance(prefix), middleOf(0));
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

QStringList childNames(QTreeWidgetItem* item)
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

    void mainWindowStartsWithoutSettingsFiles()
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
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Pell-IRC"));
        QCOMPARE(window->size(), QSize(866, 592));
        QVERIFY(window->serverMenu()->actions().isEmpty() && window->sessionArea()->subWindowList().isEmpty());
        QVERIFY(sessions.created.empty());
        QVERIFY(shell.core().settings() == settings::AppSettings{});
        QCOMPARE(captions(window->fileMenu()) + captions(window->optionsMenu()) + captions(window->helpMenu()),
                 (QStringList{"Quick connect", "-", "Exit", "Options", "-", "On Top", "Info"}));
        QVERIFY(shell.infoForm() && !shell.infoForm()->isVisible());
        window->helpMenu()->actions().front()->trigger();
        QVERIFY(shell.infoForm()->isVisible());
    }

    void serverMenuListsTheEntriesAndStartsTheClickedOne()
    {
        TempFolder home;
        writeBytes(home.file("SList.dat"), serverList({{"Net", 6667, false, "me"}, {"A&B", 6667, false, "me"}}));
        RecordingWindows sessions;
        gui::AppShell shell(home.folder(), sessions);
        shell.start(std::chrono::milliseconds(0));

        gui::MainWindow* window = shell.mainWindow();
        QCOMPARE(captions(window->serverMenu()), (QStringList{"Net", "A&B"}));
        window->serverMenu()->actions()[0]->trigger();
        window->serverMenu()->actions()[1]->trigger(); // its name cannot be found once the "&" is gone
        QCOMPARE(sessions.created.size(), std::size_t(2));
        QCOMPARE(sessions.created[0].Name, std::string("Net"));
        QCOMPARE(sessions.created[0].Port, 6667);
        QCOMPARE(sessions.created[1].Name, std::string(""));

        // A rebuild after the list changed replaces every item.
        shell.core().servers().deleteEntries("Net");
        shell.core().serverViews().RebuildServerViews(shell.core().servers());
        QCOMPARE(captions(window->serverMenu()), QStringList{"A&B"});
    }

    void mainWindowPanelsAddressesAndStacking()
    {
        Main main;
        gui::MainWindow& window = main.window;
        // A session window placed before the area had its size is fitted into it once shown.
        QMdiSubWindow* sticking = window.sessionArea()->addSubWindow(new QWidget);
        sticking->setGeometry(-40, 10, 3000, 3000);
        main.core.createMainWindowData();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize room = window.sessionArea()->viewport()->size();
        QTRY_COMPARE(sticking->geometry(), QRect(0, 10, room.width(), room.height() - 10));

        window.updateStatus();
        QCOMPARE(window.uptimePanel()->text(), QStringLiteral("00:00:00"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\S.* --- \\S+$")).match(window.clockPanel()->text()).hasMatch());
        QCOMPARE(QSize(window.uptimePanel()->width(), window.clockPanel()->width()), QSize(100, 150));
        QCOMPARE(window.addressList()->height(), 71);

        // Addresses seen in chats, newest first; a click opens the row under it, if any.
        auto& addresses = main.core.shared().Addresses;
        session::CollectUrls("see http://a.example/x and www.b.example", addresses);
        session::CollectUrls("again http://a.example/x", addresses);
        QListWidget* list = window.addressList();
        QCOMPARE(rowsOf(list->model()), (QStringList{"http://a.example/x", "www.b.example", "http://a.example/x"}));
        list->clearSelection();
        list->setCurrentItem(nullptr);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 2));
        QVERIFY(main.desktop.opened.empty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(main.desktop.opened, std::vector<std::string>{"www.b.example"});

        // "On Top" twice returns to normal stacking, in place.
        const QPoint where = window.pos();
        for (const bool onTop : {true, false}) {
            window.onTopAction()->trigger();
            QCOMPARE(window.onTopAction()->isChecked(), onTop);
            QCOMPARE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        QCOMPARE(window.pos(), where);
    }

    void desktopOpensOnlyWebAndMailAddresses()
    {
        const QStringList schemes{"http", "https", "file", "javascript"};
        for (const QString& scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
        gui::QtDesktop desktop;
        for (const char* address : {"www.b.example/page", "file:///etc/passwd", "https://a.example/?q=1",
                                    "javascript:alert(1)"})
            desktop.openUrl(address);
        for (const QString& scheme : schemes)
            QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(handedToDesktop, (QList<QUrl>{QUrl("http://www.b.example/page"), QUrl("https://a.example/?q=1")}));
    }

    void infoBoxShowsTheAddressOpensItAndDrawsTheFigure()
    {
        RecordingDesktop desktop;
        gui::InfoForm info(desktop);
        QCOMPARE(info.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(info.size(), QSize(273, 327));
        QCOMPARE(info.minimumSize(), info.maximumSize());
        QStringList texts;
        bool picture = false; // the built-in JPEG at the top
        for (const QLabel* label : info.findChildren<QLabel*>()) {
            texts << label->text();
            picture = picture || (!label->pixmap().isNull() && label->pixmap().width() == 233);
        }
        QVERIFY(picture);
        for (const char* text : {"Pell-IRC", gui::InfoForm::WebAddress, gui::InfoForm::ContactLine})
            QVERIFY2(texts.contains(QString::fromLatin1(text)), text);

        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        QTest::mouseClick(info.addressLabel(), Qt::LeftButton);
        QCOMPARE(desktop.opened, std::vector<std::string>{gui::InfoForm::WebAddress});
        QTest::mouseDClick(info.addressLabel(), Qt::LeftButton);
        QCOMPARE(info.figure()->pointsDrawn(), 6);
        QVERIFY(info.figure()->isVisible());
        QCOMPARE(gui::InfoFigure::Path[0], gui::InfoFigure::Path[5]);
        // The figure lasts until the box is closed.
        info.hide();
        QCOMPARE(info.figure()->pointsDrawn(), 0);
        info.show();
        QVERIFY(!info.figure()->isVisible());
    }

    void splashDecodesItsPictureAndBrokenOnesGiveNothing()
    {
        QFile file(QStringLiteral(":/pell/resources/splash.jpg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray good = file.readAll();
        const QImage picture = gui::decodeJpeg(good);
        QCOMPARE(picture.size(), QSize(374, 215));
        QVERIFY(picture.pixel(5, 5) != picture.pixel(187, 80)); // not a flat fill

        for (const QByteArray& broken : {QByteArray(), QByteArray("not a picture at all"), good.left(100)})
            QVERIFY(gui::decodeJpeg(broken).isNull());
        QByteArray scrambled = good;
        for (int i = 600; i < scrambled.size(); i += 7)
            scrambled[i] = char(0xff);
        gui::decodeJpeg(scrambled); // whatever comes out, it must not end the program
        // A file cut in the middle of its picture data keeps what was decoded.
        QCOMPARE(gui::decodeJpeg(good.left(good.size() / 2)).size(), QSize(374, 215));

        gui::SplashWindow splash;
        QCOMPARE(splash.size(), QSize(374, 215));
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
        QVERIFY(!splash.picture().isNull());
        splash.showFor(std::chrono::milliseconds(0));
        QVERIFY(!splash.isVisible());
    }

    void optionsDialogShowsTheSettingsAndEditsThemAtOnce()
    {
        Options h;
        QCOMPARE(h.dialog.windowTitle(), QString("Options"));
        QCOMPARE(h.dialog.size(), QSize(750, 519));
        QVERIFY(!h.dialog.isModal());
        auto* tabs = h.find<QTabWidget>("tabs");
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            names << tabs->tabText(i);
        QCOMPARE(names, (QStringList{"User", "Serverlist", "Firewall", "Downloadpath", "Downloads", "Misc"}));
        for (const auto& [field, shown] : {std::pair{"serverPort", QString("6667")}, {"proxyPort", "110"},
                                           {"folderPath", QString::fromStdString(h.temp.folder())},
                                           {"extensionField1", "*.exe"}, {"scriptDelay", "2500"}})
            QCOMPARE(h.text(field), shown);
        QVERIFY(h.find<QRadioButton>("english")->isChecked());
        QVERIFY(h.find<QCheckBox>("useStandard")->isChecked());
        QVERIFY(!h.find<QWidget>("serverIdentity")->isEnabled());
        for (auto [name, shown] : {std::pair{"proxyType", "svNoSocks"}, {"downloadMode", "ask for download"}}) {
            QCOMPARE(h.find<QComboBox>(name)->currentIndex(), -1);
            QCOMPARE(h.find<QComboBox>(name)->placeholderText(), QString(shown));
        }
        QCOMPARE(h.find<QListWidget>("extensionList2")->count(), 1);
        QCOMPARE(h.find<QTreeWidget>("folderRules")->topLevelItem(0)->text(1), QString("Rootfolder"));

        QTest::keyClicks(h.find<QLineEdit>("proxyHost"), "proxy.lan");
        h.find<QComboBox>("proxyType")->activated(3);
        h.find<QRadioButton>("german")->click();
        QCOMPARE(h.settings.ProxyHost, std::string("proxy.lan"));
        QCOMPARE(h.settings.ProxyType, 3);
        QCOMPARE(h.settings.Language, 1);

        // An extension list takes a new entry, not one it has in another case.
        auto* field = h.find<QLineEdit>("extensionField0");
        field->clear();
        QTest::keyClicks(field, "*.MP3");
        h.click("extensionSave0");
        QCOMPARE(h.find<QListWidget>("extensionList0")->count(), 7);
        QTest::keyClicks(field, "X");
        h.click("extensionSave0");
        QCOMPARE(h.find<QListWidget>("extensionList0")->item(7)->text(), QString("*.MP3X"));
    }

    void optionsServerListSavesOnlyOnItsButton()
    {
        Options h;
        h.dialog.show();
        h.find<QTabWidget>("tabs")->setCurrentIndex(1); // the server list, Save in view
        auto* name = h.find<QLineEdit>("serverName");
        name->setFocus();
        QTest::keyClicks(name, "Net");
        QTest::keyClick(name, Qt::Key_Return); // Enter in a field presses no Save
        QCOMPARE(h.servers.entryCount(), std::size_t(0));
        QVERIFY(!h.exists("SList.dat"));

        QTest::keyClicks(h.find<QLineEdit>("serverHost"), "irc.net");
        h.click("serverSave");
        auto* rows = h.find<QTreeWidget>("serverRows");
        QCOMPARE(rows->topLevelItemCount(), 1);
        QCOMPARE(rows->topLevelItem(0)->text(1), QString("irc.net"));
        QVERIFY(h.exists("SList.dat"));
        h.click("serverDelete");
        QCOMPARE(rows->topLevelItemCount(), 0);
        QCOMPARE(h.servers.entryCount(), std::size_t(0));
    }

    void optionsEveryCloseWritesTheFiles()
    {
        Options h;
        h.dialog.showCentred();
        auto* nick = h.find<QWidget>("user")->findChild<QLineEdit*>("nick");
        QTest::keyClicks(nick, "my nick");
        h.click("close");
        QVERIFY(!h.dialog.isVisible());
        QVERIFY(h.exists("Proxy.ini"));
        QCOMPARE(nick->text(), QString("mynick"));

        fs::remove(h.temp.file("Proxy.ini"));
        h.dialog.showCentred();
        h.dialog.close(); // the window frame
        QVERIFY(h.exists("Proxy.ini"));
        QVERIFY(h.prompts.errors.empty());
    }

    void quickConnectOpensASessionHoweverItCloses()
    {
        QuickConnect h;
        QCOMPARE(h.dialog.windowTitle(), QString("Quick connect"));
        QCOMPARE(h.dialog.size(), QSize(334, 436));
        h.run([&] {
            QVERIFY(h.dialog.isModal() && h.dialog.isVisible());
            QCOMPARE(h.edit("port")->text(), QString("6667"));
            QCOMPARE(h.edit("nick")->text(), QString("global"));
            QVERIFY(!h.edit("nick")->isEnabled());
            h.dialog.findChild<QCheckBox*>("useStandard")->click();
            h.edit("nick")->clear();
            QTest::keyClicks(h.edit("nick"), "one off");
            QTest::keyClicks(h.edit("server"), "irc.example");
            QTest::mouseClick(h.dialog.findChild<QPushButton*>("connect"), Qt::LeftButton);
        });
        QCOMPARE(h.windows.created.size(), std::size_t(1));
        QCOMPARE(h.windows.created[0].Nick, std::string("oneoff"));
        QCOMPARE(h.windows.created[0].Host, std::string("irc.example"));
        QCOMPARE(h.windows.created[0].Port, 6667);

        // By the frame, with the global identity read again at the opening.
        QuickConnect frame;
        frame.model.UseStandardSettingsChanged(false);
        frame.model.identity.values.Nick = "stale";
        frame.run([&] { frame.dialog.close(); });
        QCOMPARE(frame.windows.created.size(), std::size_t(1));
        QCOMPARE(frame.windows.created[0].Nick, std::string("global"));
        QCOMPARE(frame.windows.created[0].Host, std::string(""));

        QuickConnect bad;
        bad.run([&] {
            bad.edit("port")->clear();
            QTest::keyClicks(bad.edit("port"), "66x");
            bad.dialog.close();
        });
        QVERIFY(bad.windows.created.empty());
        QCOMPARE(bad.prompts.errors, (std::vector<std::string>{"'66x' is not a valid integer value"}));
    }

    void folderChooserListsFoldersRereadsThemAndHandsOverTheSelection()
    {
        TempFolder temp;
        fs::create_directory(temp.path() / "music");
        writeBytes(temp.file("file.txt"), "x");
        gui::FolderChooser chooser(nullptr, temp.folder());
        QCOMPARE(chooser.windowTitle(), QString("Folder"));
        QCOMPARE(chooser.size(), QSize(242, 425));
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

    void sessionWindowFollowsTheModelsTabs()
    {
        Session s;
        QCOMPARE(s.tabCaptions(), (QStringList{"Main", "Ignorlist"}));
        QCOMPARE(s.window.tabWidget()->currentIndex(), 0);
        QCOMPARE(s.window.windowTitle(), QString("Channel"));
        QCOMPARE(s.window.nickViewOf(s.idOf("Main"))->width(), 123);
        QCOMPARE(s.window.rawLogView()->height(), 29);
        for (const auto& [panel, width] : {std::pair{0, 100}, {1, 150}, {2, 50}})
            QCOMPARE(s.window.statusLabel(panel)->width(), width);
        QVERIFY(s.window.isStatusTimerRunning() && !s.window.isCloseTimerRunning());

        QSignalSpy clicked(&s.window, &gui::SessionWindow::tabActivated);
        s.model.Tabs().NewChannel("#a");
        s.model.Tabs().NewChannel("#b&c");
        QCOMPARE(s.tabCaptions(), (QStringList{"Main", "#a", "#b&&c", "Ignorlist"}));
        QCOMPARE(s.window.tabWidget()->currentIndex(), 2);
        QVERIFY(clicked.isEmpty()); // the model's own changes are not reported back
        const session::TabId closed = s.idOf("#a");
        QVERIFY(s.window.textViewOf(closed));
        s.model.Tabs().CloseTab(1);
        QCOMPARE(s.tabCaptions(), (QStringList{"Main", "#b&&c", "Ignorlist"}));
        QVERIFY(!s.window.textViewOf(closed));
        s.window.tabWidget()->setCurrentIndex(0);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 0);
        QSignalSpy closing(&s.window, &gui::SessionWindow::tabCloseRequested);
        s.window.tabMenu()->actions().first()->trigger();
        QCOMPARE(closing.at(0).at(0).value<session::TabId>(), s.model.Tabs().Active().Id);

        // Names from the server are never markup, and not always UTF-8.
        s.model.SetStatusPanel(2, "<img src=\"http://x/y.png\">");
        QCOMPARE(s.window.statusLabel(2)->text(), QString("<img src=\"http://x/y.png\">"));
        QCOMPARE(s.window.statusLabel(2)->textFormat(), Qt::PlainText);
        s.model.Tabs().NewChannel("#gr\xFC\xDF");
        QCOMPARE(s.tabCaptions().at(2), QString::fromUtf8("#grüß"));
    }

    void sessionWindowShowsLinesAndOpensTheirLinks()
    {
        Session s;
        s.model.AddText("#a", "bob", "hi www.x.org", 0);
        gui::TextView* view = s.window.textViewOf(s.idOf("#a"));
        QVERIFY(view);
        view->flushAppends();
        view->selectAll();
        QCOMPARE(view->selectedText(), QString("<bob>:hi www.x.org"));
        s.model.ClearActive();
        QCOMPARE(view->selectedText(), QString());

        QSignalSpy links(&s.window, &gui::SessionWindow::linkClicked);
        s.model.AddText("#a", "bob", "http://ex\xC3\xA4mple.de/a b", 0);
        view->flushAppends();
        const int x = 3 + QFontMetrics(view->font()).horizontalAdvance("<bob>:http://ex");
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x, view->lineHeight() / 2));
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.at(0).at(0).toString(), QString("http://xn--exmple-cua.de/a"));

        // Codes in a raw line show as their pictures; the newest line is current.
        for (const char* line : {":a 001 me :hi", ":a 002 me :there", "PRIVMSG #c :\x03" "4red\x02"})
            s.model.AppendRaw(line, true);
        QListView* raw = s.window.rawLogView();
        QTRY_COMPARE(raw->model()->rowCount(), 3);
        QCOMPARE(raw->currentIndex().row(), 2);
        QCOMPARE(raw->model()->index(2, 0).data().toString(), QString::fromUtf8("PRIVMSG #c :\u24034red\u2402"));
    }

    void sessionWindowNickListAndItsMenu()
    {
        qRegisterMetaType<gui::NickAction>();
        Session s;
        s.model.Tabs().NewChannel("#a");
        auto* nicks = s.window.nickViewOf(s.idOf("#a"))->model();
        s.model.Tabs().RefillNickList("#a", {"bob", "amy", "cy"}, {1, 2, 0});
        QCOMPARE(s.nickRows("#a"), (QStringList{"+amy", "@bob", "cy"}));
        s.model.Tabs().AddUserTo("#a", "eve");
        s.model.Tabs().DelUser("cy");
        QCOMPARE(s.nickRows("#a"), (QStringList{"+amy", "@bob", "eve"}));
        QCOMPARE(s.nickRows("Main"), QStringList{});

        QSignalSpy actions(&s.window, &gui::SessionWindow::nickActionTriggered);
        s.window.triggerNickAction(gui::NickAction::Kick); // nothing selected
        QVERIFY(actions.isEmpty());
        QListView* view = s.window.nickViewOf(s.idOf("#a"));
        view->setCurrentIndex(nicks->index(1, 0));
        s.window.triggerNickAction(gui::NickAction::Kick);
        QCOMPARE(actions.size(), 1);
        QCOMPARE(actions.at(0).at(0).value<gui::NickAction>(), gui::NickAction::Kick);
        QCOMPARE(actions.at(0).at(1).toByteArray(), QByteArray("@bob"));

        QMenu* menu = s.window.nickMenu();
        QCOMPARE(captions(menu), (QStringList{"Invite", "DCC", "Misc", "Ignore", "Ban", "Kick", "Info", "Unignore"}));
        const QList<QAction*> dcc = menu->actions().at(1)->menu()->actions();
        QVERIFY(dcc.size() == 2 && !dcc.at(0)->isEnabled() && !dcc.at(1)->isEnabled());
        QCOMPARE(captions(menu->actions().at(2)->menu()), (QStringList{"Voice", "DeVoice", "Op", "DeOp"}));
        menu->actions().at(2)->menu()->actions().at(2)->trigger();
        QCOMPARE(actions.last().at(0).value<gui::NickAction>(), gui::NickAction::Op);

        QSignalSpy opened(&s.window, &gui::SessionWindow::nickDoubleClicked);
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        const QPoint first = view->visualRect(nicks->index(0, 0)).center();
        // Item views want the press before the double-click, as a real mouse sends it.
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0).at(0).toByteArray(), QByteArray("+amy"));

        // A bulk refill resets the list once.
        std::vector<std::string> many;
        for (int i = 0; i < 10000; ++i)
            many.push_back("user" + std::to_string(i));
        QSignalSpy resets(nicks, &QAbstractItemModel::modelReset);
        s.model.Tabs().RefillNickList("#a", many, std::vector<int>(many.size(), 0));
        QCOMPARE(resets.size(), 1);
        QCOMPARE(nicks->rowCount(), 10000);
    }

    void sessionWindowIgnoreListDeletesWithMenuAndKey()
    {
        Session s;
        QObject::connect(&s.window, &gui::SessionWindow::ignoreEntrySelected, &s.window,
                         [&](int row) { s.model.SelectIgnoreEntry(row); });
        QObject::connect(&s.window, &gui::SessionWindow::ignoreDeleteRequested, &s.window,
                         [&] { s.model.DeleteSelectedIgnore(); });
        for (const char* nick : {"bob", "amy", "cy"})
            s.model.IgnoreNick(nick);
        QListView* view = s.window.ignoreView();
        QCOMPARE(view->model()->rowCount(), 3);
        view->setCurrentIndex(view->model()->index(1, 0));
        QTest::keyRelease(view, Qt::Key_Delete);
        QCOMPARE(s.model.Ignores().Entries(), (std::vector<std::string>{"bob", "cy"}));
        view->setCurrentIndex(view->model()->index(0, 0));
        QCOMPARE(captions(s.window.ignoreMenu()), QStringList{"Delete"});
        s.window.ignoreMenu()->actions().first()->trigger();
        QCOMPARE(rowsOf(view->model()), QStringList{"cy"});
    }

    void sessionWindowForwardsInputAndMayRefuseToClose()
    {
        Session s;
        QLineEdit* input = s.window.inputLine();
        QSignalSpy entered(&s.window, &gui::SessionWindow::inputEntered);
        QSignalSpy up(&s.window, &gui::SessionWindow::historyUp);
        QSignalSpy down(&s.window, &gui::SessionWindow::historyDown);
        QSignalSpy action(&s.window, &gui::SessionWindow::actionClicked);
        input->insert(QString::fromUtf8("grüß <b>"));
        for (const auto key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(input, key);
        QCOMPARE(up.size(), 1);
        QCOMPARE(down.size(), 2);
        QCOMPARE(entered.size(), 1);
        QCOMPARE(entered.at(0).at(0).toString(), QString::fromUtf8("grüß <b>"));
        for (auto* button : s.window.findChildren<QPushButton*>())
            if (button->text() == "Action")
                button->click();
        QCOMPARE(action.at(0).at(0).toString(), QString::fromUtf8("grüß <b>"));
        s.window.setInputText("older line");
        QCOMPARE(input->text(), QString("older line"));
        QCOMPARE(input->cursorPosition(), 10);

        bool refuse = true;
        QObject::connect(&s.window, &gui::SessionWindow::closeRequested, &s.window,
                         [&](bool* allowed) { *allowed = !refuse; });
        QVERIFY(!s.window.close());
        QVERIFY(s.window.isVisible());
        refuse = false;
        QVERIFY(s.window.close());
        QVERIFY(!s.window.isStatusTimerRunning());
    }

    void textDecodesEachLineAsUtf8ElseLatin1()
    {
        const struct {
            std::string bytes;
            QString shown;
        } rows[] = {
            {"plain", "plain"},
            {"gr\xC3\xBC\xC3\x9F", QString::fromUtf8("grüß")},
            {"gr\xFC\xDF", QString::fromUtf8("grüß")},                   // Latin-1
            {"\xC3\xBC and \xFC", QString::fromUtf8("Ã¼ and ü")},       // one bad byte: whole line Latin-1
            {"\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80")}, // outside the basic plane
        };
        for (const auto& row : rows)
            QCOMPARE(gui::DecodeLine(row.bytes), row.shown);
        // A bold code inside a UTF-8 character does not break it.
        QCOMPARE(gui::BuildDisplayLine(session::FormatLine("a\xC3\x02\xBC" "b", Black)).Text, QString::fromUtf8("aüb"));
        // Control bytes other than the codes show as visible pictures, one each.
        QCOMPARE(gui::BuildDisplayLine(session::FormatLine("a\x01" "b", Black)).Text, QString::fromUtf8("a\u2401b"));

        // a, bold b, c in red underlined; the runs keep their places after a surrogate pair.
        const gui::DisplayLine line =
            gui::BuildDisplayLine(session::FormatLine("a\x02" "b\x02\x03" "4\x1F" "c\xF0\x9F\x98\x80x", Blue));
        QCOMPARE(line.Text, QString::fromUtf8("abc\xF0\x9F\x98\x80x"));
        const struct {
            int start, length;
            QColor colour;
            bool bold, underline;
        } runs[] = {{0, 1, QColor(0, 0, 255), false, false},
                    {1, 1, QColor(0, 0, 255), true, false},
                    {2, 4, QColor(255, 0, 0), false, true}};
        QCOMPARE(line.Formats.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const auto& range = line.Formats[i];
            QCOMPARE(range.start, runs[i].start);
            QCOMPARE(range.length, runs[i].length);
            QCOMPARE(range.format.foreground().color(), runs[i].colour);
            QCOMPARE(range.format.fontWeight() == QFont::Bold, runs[i].bold);
            QCOMPARE(range.format.fontUnderline(), runs[i].underline);
        }
    }

    void textViewPaintsStoredColoursAndHtmlLiterally()
    {
        Shown shown({"\x03" "4MMMMMMMMMMMMMMMM", "\x03" "9MMMMMMMMMMMMMMMM", "MMMMMMMMMMMMMMMM"}, Blue);
        const QImage image = shown.view.viewport()->grab().toImage();
        const int h = shown.view.lineHeight();
        const QImage red = image.copy(0, 0, image.width(), h);
        const QImage lime = image.copy(0, h, image.width(), h);
        const QImage blue = image.copy(0, 2 * h, image.width(), h);
        QVERIFY(countColour(red, Qt::red) > 20);
        QCOMPARE(countColour(red, QColor(0, 255, 0)), 0);
        QVERIFY(countColour(lime, QColor(0, 255, 0)) > 20);
        QVERIFY(countColour(blue, Qt::blue) > 20);
        QCOMPARE(countColour(blue, Qt::red), 0);

        const QString html = "<bob>:<img src=\"file:///x.png\"><a href=\"javascript:x()\">hi</a><b>&amp;";
        Shown literal({html.toStdString()});
        literal.view.selectAll();
        QCOMPARE(literal.view.selectedText(), html);
        QVERIFY(gui::BuildDisplayLine(literal.text.Lines()[0]).Links.empty());
    }

    void textViewSelectsCopiesAndClearsByMouseAndKeys()
    {
        Shown shown({"<bob>:first line", "<amy>:\x02second\x02 line", "<cy>:third"});
        QWidget* port = shown.view.viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(1, shown.middleOf(0)));
        QTest::mouseMove(port, QPoint(600, shown.middleOf(1)));
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(600, shown.middleOf(1)));
        QCOMPARE(shown.view.selectedText(), QString("<bob>:first line\n<amy>:second line"));
        QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("<bob>:first line\n<amy>:second line"));
        QTest::keyClick(&shown.view, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(shown.view.selectedText(), QString("<bob>:first line\n<amy>:second line\n<cy>:third"));
        QTest::mouseDClick(port, Qt::LeftButton, {}, shown.after("<bob>:first li"));
        QCOMPARE(shown.view.selectedText(), QString("line"));

        shown.view.selectAll();
        shown.text.Clear();
        shown.view.linesCleared();
        QCOMPARE(shown.view.selectedText(), QString());
        QCOMPARE(shown.view.verticalScrollBar()->maximum(), 0);
        shown.view.viewport()->grab(); // paints nothing, touches no old line
    }

    void textViewOpensAllowedLinksOnAClickNotADrag()
    {
        Shown shown({"see http://a.org/x b file:///etc/passwd c www.b.de"});
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
        QTest::mousePress(shown.view.viewport(), Qt::LeftButton, {}, onLink);
        QTest::mouseMove(shown.view.viewport(), QPoint(1, shown.middleOf(0)));
        QTest::mouseRelease(shown.view.viewport(), Qt::LeftButton, {}, QPoint(1, shown.middleOf(0)));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(shown.view.selectedText(), QString("see http://a."));
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
        QTRY_VERIFY(bar->maximum() > 400);
        QCOMPARE(bar->value(), bar->maximum());
        bar->setValue(10);
        append(100);
        shown.view.flushAppends();
        QCOMPARE(bar->value(), 10);
        QVERIFY(!shown.view.isPinnedToBottom());
        bar->setValue(bar->maximum());
        append(100);
        shown.view.flushAppends();
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(shown.view.firstVisibleLine() + bar->pageStep(), 700);
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
