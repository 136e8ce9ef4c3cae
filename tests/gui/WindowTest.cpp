// The windows offscreen: what they draw and how they wire widgets to the models. What
// the models decide is tested with the models.

#include "gui/AppShell.h"
#include "gui/DirectChatWindow.h"
#include "gui/DisplayLine.h"
#include "gui/FolderChooser.h"
#include "gui/Captions.h"
#include "gui/HelpWindow.h"
#include "gui/InfoForm.h"
#include "gui/JpegImage.h"
#include "gui/MainWindow.h"
#include "gui/OptionsDialog.h"
#include "gui/PellApplication.h"
#include "gui/QtDesktop.h"
#include "gui/QtGuiDispatcher.h"
#include "gui/QtUserPrompts.h"
#include "gui/QuickConnectDialog.h"
#include "gui/ScriptEditor.h"
#include "gui/SessionWindow.h"
#include "gui/SplashWindow.h"
#include "gui/TextView.h"
#include "gui/TransferWindow.h"
#include "gui/UserInfoWindow.h"

#include "net/TransportError.h"
#include "gui/GuiFakes.h"
#include "session/SessionFakes.h"
#include "support/Loopback.h"
#include "support/FakeServer.h"
#include "session/AddressList.h"
#include "session/LineFormatter.h"
#include "dcc/ListenPort.h"
#include "irc/User.h"

#include <filesystem>
#include <set>
#include <unistd.h>

using namespace pell;
using namespace pell::test;
namespace fs = std::filesystem;
using Nick = pell::gui::NickAction;
Q_DECLARE_METATYPE(pell::gui::NickAction)

namespace {

// The message box on screen, if any.
QMessageBox* visibleBox()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            return box;
    return nullptr;
}

// The texts of a window's labels.
QStringList labelsOf(QWidget* window)
{
    QStringList texts;
    for (const QLabel* label : window->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

// The caption a control shows, whatever kind of control it is.
QString shownCaption(QObject* control)
{
    if (auto* menu = qobject_cast<QMenu*>(control))
        return QString(menu->title()).remove(QLatin1Char('&')); // the mnemonic's mark
    if (auto* action = qobject_cast<QAction*>(control))
        return action->text();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    auto* widget = qobject_cast<QWidget*>(control);
    if (widget->isWindow())
        return widget->windowTitle();
    auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget());
    return tabs ? tabs->tabText(tabs->indexOf(widget)) : QString();
}

template <typename T = QWidget> T* named(const QObject* parent, const char* name) { return parent->findChild<T*>(name); }
void click(QWidget* widget, QPoint at = {}) { QTest::mouseClick(widget, Qt::LeftButton, {}, at); }

// A text view over lines the test owns, sized and flushed so it can be painted and clicked.
struct Shown {
    session::FormattedText text;
    gui::TextView view;
    explicit Shown(const std::vector<std::string>& lines, session::Rgb colour = 0)
    {
        for (const auto& line : lines)
            text.Append(session::FormatLine(line, colour));
        view.resize(700, 240);
        view.setLines(&text);
        view.show();
        view.flushAppends();
    }
    QPoint at(int row, const QString& prefix = {}) const { return {3 + view.fontMetrics().horizontalAdvance(prefix), row * view.lineHeight() + view.lineHeight() / 2}; }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view.viewport(), to);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to);
    }
};

struct Program { // the program in a folder of its own; the sessions it opens are recorded
    TempFolder home;
    RecordingWindows sessions;
    gui::AppShell shell{home.folder(), sessions};
    Program() { shell.start(std::chrono::milliseconds(0)); }
    gui::MainWindow* window() { return shell.mainWindow(); }
    gui::OptionsDialog* openOptions()
    {
        window()->optionsMenu()->actions().front()->trigger();
        return window()->findChild<gui::OptionsDialog*>();
    }
};

struct Scene : session::testing::RecordingPorts { // a session window over its model, shown
    gui::SessionWindow w;
    session::SessionModel model{settings, shared, session::SessionPorts{w, desktop, prompts, saveDialog}};
    session::SessionTabs& tabs = model.Tabs();
    Scene()
    {
        w.attach(&model);
        w.show();
    }
    ~Scene() { w.attach(nullptr); }
    session::TabId idOf(const std::string& caption) { return tabs.At(tabs.Find(caption)).Id; }
    QString tabTexts()
    {
        QStringList texts;
        for (int i = 0; i < w.tabWidget()->count(); ++i)
            texts << w.tabWidget()->tabText(i);
        return texts.join(',');
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
    // Addresses reach this object, never a real browser.
    void initTestCase()
    {
        gui::initResources();
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
    }
    void init() { handedToDesktop.clear(); }
    void cleanupTestCase()
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    // The program's own icon, drawn from its SVG (not a blank or a toolkit's logo).
    void everyWindowShowsTheProgramIcon()
    {
        const QImage drawn = QApplication::windowIcon().pixmap(32).toImage();
        QVERIFY(!drawn.isNull());
        QCOMPARE(QWidget().windowIcon().pixmap(32).toImage(), drawn);
    }

    // A write that fails under a click (the send queue at its bound) is shown, not fatal.
    void anErrorEscapingAHandlerIsShownAndTheProgramGoesOn()
    {
        QStringList shown;
        static_cast<gui::PellApplication*>(qApp)->ShowError = [&](const std::string& m) { shown << QString::fromStdString(m); };
        QPushButton button;
        connect(&button, &QPushButton::clicked, [] { throw net::TransportError::socket(ENOBUFS); });
        click(&button);
        click(&button);
        QCOMPARE(shown, QStringList(2, QString::fromStdString(net::TransportError::socket(ENOBUFS).what())));
    }

    void mainWindowTicksOpensWebAddressesAndKeepsItsPlace()
    {
        Program program;
        gui::MainWindow* window = program.window();
        checkFacts(window, "main window");
        window->updateStatus();
        QCOMPARE(window->uptimePanel()->text(), "00:00:00");
        QVERIFY(QRegularExpression(QStringLiteral("^\\S.* --- \\S+$")).match(window->clockPanel()->text()).hasMatch());
        QTRY_VERIFY_WITH_TIMEOUT(window->uptimePanel()->text() != "00:00:00", 2500); // it ticks by itself
        session::CollectUrls("see http://a.example/x and www.b.example", program.shell.core().shared().Addresses);
        session::CollectUrls("again http://a.example/x", program.shell.core().shared().Addresses);
        auto* addresses = window->addressList();
        QTRY_COMPARE(rowsOf(addresses->model()), (QStringList{"http://a.example/x", "www.b.example", "http://a.example/x"})); // newest first
        QCOMPARE(addresses->height(), 71);
        QVERIFY(!addresses->selectionModel()->hasSelection());
        click(addresses->viewport(), QPoint(5, addresses->viewport()->height() - 2)); // below the rows: nothing
        click(addresses->viewport(), addresses->visualRect(addresses->model()->index(1, 0)).center());
        gui::QtDesktop().openUrl("file:///etc/passwd"); // only web and mail addresses open
        QCOMPARE(handedToDesktop, QList<QUrl>{QUrl("http://www.b.example")});
        const QPoint where = window->pos();
        for (const bool onTop : {true, false}) {
            window->onTopAction()->trigger();
            QCOMPARE(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        QCOMPARE(window->pos(), where);
        // A session window placed before the area had its size is fitted into it once shown.
        window->hide();
        QMdiSubWindow* sticking = window->sessionArea()->addSubWindow(new QWidget);
        sticking->setGeometry(-40, 10, 3000, 3000);
        window->show();
        const QSize room = window->sessionArea()->viewport()->size();
        QTRY_COMPARE(sticking->geometry(), QRect(0, 10, room.width(), room.height() - 10));
    }

    // The about box, the help (German until a language is applied) and the script editor.
    void mainWindowMenusOpenAboutBoxHelpAndScriptEditor()
    {
        Program program;
        gui::InfoForm* info = program.shell.infoForm();
        QVERIFY(!info->isVisible());
        program.window()->helpMenu()->actions().back()->trigger();
        checkFacts(info, "about box");
        click(info->addressLabel());
        QCOMPARE(handedToDesktop, QList<QUrl>{QUrl(gui::InfoForm::WebAddress)});
        QTest::mouseDClick(info->addressLabel(), Qt::LeftButton);
        QCOMPARE(info->figure()->pointsDrawn(), 6);
        QVERIFY(info->figure()->isVisible());
        info->hide();
        info->show();
        QCOMPARE(info->figure()->pointsDrawn(), 0);
        QVERIFY(!info->figure()->isVisible());
        gui::HelpWindow* help = program.shell.helpWindow();
        program.window()->helpMenu()->actions().front()->trigger();
        checkFacts(help, "help");
        QVERIFY(help->text()->isReadOnly());
        QVERIFY(help->text()->toPlainText().startsWith("User Befehle\n"));
        QCOMPARE(program.window()->helpMenu()->title(), "&Help");
        gui::ScriptEditor* editor = program.shell.scriptEditor();
        QVERIFY(!editor->isVisible());
        program.window()->toolsMenu()->actions().back()->trigger();
        checkFacts(editor, "script editor");
        QVERIFY((editor->frameGeometry().center() - program.window()->frameGeometry().center()).manhattanLength() < 40);
    }

    void optionsEditAtOnceAndRelabelEveryControl()
    {
        Program program;
        gui::MainWindow* window = program.window();
        settings::AppSettings& values = program.shell.core().settings();
        gui::OptionsDialog* options = program.openOptions();
        checkFacts(options, "options");
        QTest::keyClicks(named<QLineEdit>(options, "proxyHost"), "proxy.lan");
        named<QComboBox>(options, "proxyType")->activated(3);
        named<QRadioButton>(options, "german")->click();
        QCOMPARE(values.ProxyHost, "proxy.lan");
        QCOMPARE(values.ProxyType, settings::ProxyType::Socks5);
        QCOMPARE(values.Language, settings::Language::German);
        const auto* help = program.shell.helpWindow()->text();
        for (const auto language : {app::Language::German, app::Language::English}) {
            if (language == app::Language::English)
                named<QRadioButton>(options, "english")->click();
            for (const app::CaptionRow& row : app::CaptionTable()) {
                const QList<QObject*> controls = gui::taggedWith(window, row.target);
                QVERIFY2(!controls.isEmpty(), row.english.data());
                for (QObject* control : controls)
                    QCOMPARE(shownCaption(control), QString::fromUtf8(row.text(language).data(), qsizetype(row.text(language).size())));
            }
            // Each menu keeps its keyboard mnemonic on its first letter.
            QCOMPARE(window->fileMenu()->title(), language == app::Language::German ? "&Datei" : "&File");
            QCOMPARE(help->toPlainText().split('\n').size(), 209);
            QVERIFY(help->toPlainText().startsWith(language == app::Language::German ? "User Befehle\n" : "User Command\n"));
        }
        QCOMPARE(window->onTopAction()->text(), "Stay on top");
        QCOMPARE(window->helpMenu()->title(), "&Info");
    }

    void optionsSaveListsByTheirButtonsAndFilesOnEveryClose()
    {
        Program program;
        settings::AppSettings& values = program.shell.core().settings();
        values.RealName = "J\xF6rg"; // Latin-1, from another machine
        values.Password = "p\xE4ss";
        gui::OptionsDialog* options = program.openOptions();
        const auto edit = [&](const char* name) { return named<QLineEdit>(options, name); };
        QTest::keyClicks(edit("extensionField0"), "X");
        click(named(options, "extensionSave0"));
        QCOMPARE(named<QListWidget>(options, "extensionList0")->item(7)->text(), QString("*.mp3X"));
        named<QTabWidget>(options, "tabs")->setCurrentIndex(1); // the server list, Save in view
        edit("serverName")->setFocus();
        QTest::keyClicks(edit("serverName"), "Net");
        QTest::keyClick(edit("serverName"), Qt::Key_Return); // Enter in a field presses no Save
        settings::ServerList& list = program.shell.core().servers();
        QCOMPARE(list.entryCount(), 0u);
        QVERIFY(!fs::exists(program.home.file("SList.dat")));
        QTest::keyClicks(edit("serverHost"), "irc.net");
        click(named(options, "serverSave"));
        auto* rows = named<QTreeWidget>(options, "serverRows");
        QCOMPARE(rows->topLevelItemCount(), 1);
        QCOMPARE(rows->topLevelItem(0)->text(1), "irc.net");
        QVERIFY(fs::exists(program.home.file("SList.dat")));
        QCOMPARE(captions(program.window()->serverMenu()), QStringList{"Net"});
        // A rebuild replaces every item of the Server menu and of the list; "&" shows as
        // typed ("&&" in a menu) and the click finds the entry as it was stored.
        list.storeEntry(settings::ServerList::entryLines(settings::ServerProfile{.Name = "O&ther"}));
        program.shell.core().serverViews().RebuildServerViews(list);
        click(named(options, "serverDelete"));
        QCOMPARE(rows->topLevelItemCount(), 1);
        QCOMPARE(captions(program.window()->serverMenu()), QStringList{"O&&ther"});
        program.window()->serverMenu()->actions().front()->trigger();
        QCOMPARE(program.sessions.created.size(), 1u);
        QCOMPARE(program.sessions.created[0].Name, "O&ther");
        // Every close writes the files, by its button and by the frame.
        auto* nick = named(options, "user")->findChild<QLineEdit*>("nick");
        QTest::keyClicks(nick, "my nick");
        for (const bool byFrame : {false, true}) {
            fs::remove(program.home.file("Proxy.ini"));
            program.openOptions();
            if (byFrame)
                options->close();
            else
                click(named(options, "close"));
            QVERIFY(!options->isVisible());
            QVERIFY(fs::exists(program.home.file("Proxy.ini")));
            QCOMPARE(nick->text(), "mynick");
        }
        // Values the user did not edit keep their bytes, through the fields and into the file.
        QCOMPARE(values.RealName, "J\xF6rg");
        QCOMPARE(values.Password, "p\xE4ss");
        QCOMPARE(values.Nick, "mynick");
        QVERIFY(readBytes(program.home.file("settings.ini")).find("\r\nJ\xF6rg\r\n") != std::string::npos);
    }

    // Quick connect opens a session however it closes, reading the global identity anew.
    void quickConnectOpensASessionHoweverItCloses()
    {
        Program program;
        program.shell.core().settings().Nick = "global";
        auto* quick = program.window()->findChild<gui::QuickConnectDialog*>();
        QTimer::singleShot(0, quick, [&] {
            checkFacts(quick, "quick connect");
            auto* nick = named<QLineEdit>(quick, "nick");
            named<QCheckBox>(quick, "useStandard")->click();
            nick->clear();
            QTest::keyClicks(nick, "one off");
            // A host pasted with its line end: the field drops it, so no file line can split.
            QGuiApplication::clipboard()->setText(QStringLiteral("irc.example\r\n"));
            QTest::keyClick(named(quick, "server"), Qt::Key_V, Qt::ControlModifier);
            click(named(quick, "connect"));
        });
        program.window()->fileMenu()->actions().front()->trigger();
        program.shell.core().quickConnect().identity.values.Nick = "stale";
        QTimer::singleShot(0, quick, &QWidget::close);
        program.window()->fileMenu()->actions().front()->trigger();
        QCOMPARE(program.sessions.created.size(), 2u);
        QCOMPARE(program.sessions.created[0].Host, "irc.example");
        QCOMPARE(program.sessions.created[0].Nick, "oneoff");
        QCOMPARE(program.sessions.created[1].Nick, "global");
    }

    void splashShowsItsPictureAndBrokenPicturesEndNothing()
    {
        gui::SplashWindow splash;
        QCOMPARE(splash.size(), QSize(374, 215));
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
        QVERIFY(splash.picture().pixel(5, 5) != splash.picture().pixel(187, 80)); // decoded, not a flat fill
        splash.showFor(std::chrono::milliseconds(0));
        QVERIFY(!splash.isVisible());
        QFile file(QStringLiteral(":/pell/resources/splash.jpg"));
        const QByteArray good = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        for (const QByteArray& broken : {QByteArray(), QByteArray("not a picture at all"), good.left(100)})
            QVERIFY(gui::decodeJpeg(broken).isNull());
        QByteArray scrambled = good;
        for (int i = 600; i < scrambled.size(); i += 7)
            scrambled[i] = char(0xff);
        gui::decodeJpeg(scrambled); // whatever comes out, it must not end the program
        // A file cut in the middle of its picture data keeps what was decoded.
        QCOMPARE(gui::decodeJpeg(good.left(good.size() / 2)).size(), QSize(374, 215)); // so the file was read, too
    }

    void folderChooserListsFoldersRereadsThemAndHandsOverTheSelection()
    {
        TempFolder temp;
        fs::create_directory(temp.path() / "music");
        writeBytes(temp.file("file.txt"), "x");
        gui::FolderChooser chooser(nullptr, temp.folder());
        checkFacts(&chooser, "folder chooser");
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
        QTimer::singleShot(10, &fromRoot, &QWidget::close);
        QVERIFY(fromRoot.selectPath(temp.file("music")));
        QCOMPARE(fromRoot.choose(), temp.file("music"));
    }

    // Both transfer windows draw the progress to the end state.
    void transferWindowsShowProgressToTheEnd()
    {
        TempFolder temp;
        writeBytes(temp.file("f.bin"), std::string(300000, 'f'));
        dcc::NextListenPort() = 20000 + ::getpid() % 20000;
        gui::QtGuiDispatcher dispatcher;
        dcc::DccSend send(dispatcher);
        send.SetSendFile(temp.file("f.bin"));
        QVERIFY(send.OpenListener());
        dcc::DccDownload download(dispatcher, dcc::DownloadOffer{"127.0.0.1", send.Port, "f.bin", 300000},
                                  dcc::DownloadRules{{}, temp.file("in")}, {300, 1});
        std::unique_ptr<gui::TransferWindow> sending(gui::TransferWindow::forSend(send));
        std::unique_ptr<gui::TransferWindow> receiving(gui::TransferWindow::forDownload(download));
        sending->show();
        receiving->show();
        download.StartDownload();
        QTRY_VERIFY_WITH_TIMEOUT(!download.Running(), 10000);
        QTRY_VERIFY(sending->log()->toPlainText().endsWith("Remote CRC = 300000 local = 300000"));
        QCOMPARE(receiving->windowTitle(), "Download file");
        QCOMPARE(sending->windowTitle(), "Send file");
        for (gui::TransferWindow* window : {receiving.get(), sending.get()}) {
            QCOMPARE(window->progressBar()->value(), 100);
            QCOMPARE(labelsOf(window).count("300000 bytes"), 1);
            QCOMPARE(labelsOf(window).count("100%"), 1);
        }
        QCOMPARE(receiving->errorLabel()->text(), "wrote FINAL checksum");
        QVERIFY(receiving->log()->toPlainText().endsWith("after write stream\nstream size: 300000\n"
                                                         "FINAL checksum: 300000\nwrote FINAL checksum"));
    }

    // A window closed while its worker runs takes its model with it, and nothing reports
    // into it afterwards.
    void transferWindowsCloseWhileTheirWorkersRun()
    {
        TempFolder temp;
        writeBytes(temp.file("f.bin"), std::string(300000, 'f'));
        dcc::NextListenPort() = 20000 + ::getpid() % 20000;
        gui::QtGuiDispatcher dispatcher;
        auto send = std::make_unique<dcc::DccSend>(dispatcher);
        send->SetSendFile(temp.file("f.bin"));
        QVERIFY(send->OpenListener());
        const int stalled = connectLoopback(send->Port); // takes nothing, acknowledges nothing
        FakeServer sender; // sends three bytes of ten and holds the connection
        auto download = std::make_unique<dcc::DccDownload>(
            dispatcher, dcc::DownloadOffer{"127.0.0.1", sender.port(), "f.bin", 10}, dcc::DownloadRules{{}, temp.file("in")});
        std::unique_ptr<gui::TransferWindow> sending(gui::TransferWindow::forSend(*send));
        std::unique_ptr<gui::TransferWindow> receiving(gui::TransferWindow::forDownload(*download));
        QObject::connect(receiving.get(), &gui::TransferWindow::closed, [&] { download.reset(); });
        QObject::connect(sending.get(), &gui::TransferWindow::closed, [&] { send.reset(); });
        download->StartDownload();
        QVERIFY(sender.waitForClient());
        sender.send("abc");
        QTRY_VERIFY(download->Progress().BytesDone == 3);
        QTRY_COMPARE(send->Receivers(), 1u);
        QVERIFY(receiving->close());
        QVERIFY(sending->close());
        QVERIFY(!download);
        QVERIFY(!send);
        QTest::qWait(100); // reports posted before the close fall on the floor
        ::close(stalled);
    }

    // A question that holds nobody: its box is open when the call returns, the answer
    // comes by the button, and a question withdrawn closes its box unanswered. A peer's
    // text cannot turn the question around.
    void questionsAskedLaterHoldNobody()
    {
        gui::QtUserPrompts prompts;
        std::vector<bool> answers;
        const auto record = [&](bool yes) { answers.push_back(yes); };
        auto open = prompts.askYesNoLater("Confirm", "Download \xE2\x80\xAEtxt.exe", record);
        QMessageBox* box = visibleBox();
        QVERIFY(box);
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QCOMPARE(box->text(), QString::fromUtf8("Download \uFFFDtxt.exe"));
        box->button(QMessageBox::Yes)->click();
        QCOMPARE(answers, std::vector<bool>{true});
        auto withdrawn = prompts.askYesNoLater("Confirm", "later", record);
        withdrawn.reset();
        QTRY_VERIFY(!visibleBox());
        QCOMPARE(answers.size(), 1u);
    }

    // Both chat windows: "<nick> text" lines, the partner's text as plain text (no markup,
    // no links, no drawn carriage return); the listening one closes in two phases.
    void chatWindowsShowPlainLinesAndClose()
    {
        dcc::NextListenPort() = 20100 + ::getpid() % 20000;
        gui::QtGuiDispatcher dispatcher;
        dcc::DirectChatListener listener(dispatcher);
        dcc::DirectChat chat;
        listener.RemoteNick = chat.OwnNick = "amy";
        listener.OwnNick = chat.RemoteNick = "bob";
        QVERIFY(listener.StartListen());
        chat.Host = "127.0.0.1";
        chat.Port = listener.Port;
        chat.Connect();
        std::unique_ptr<gui::DirectChatWindow> listening(gui::DirectChatWindow::forListener(listener)), connecting(gui::DirectChatWindow::forChat(chat));
        for (gui::DirectChatWindow* window : {listening.get(), connecting.get()}) {
            window->refreshCaption();
            window->show();
        }
        connecting->timer()->setInterval(10); // the poll's pace is the model's; here it only has to be quick
        QCOMPARE(listening->windowTitle(), "Direct Chat [amy]");
        QCOMPARE(connecting->windowTitle(), "Direct Chat [bob]");
        QTRY_VERIFY(listening->text()->toPlainText().startsWith("Connected: 127.0.0.1:"));
        const QString marked = QString::fromUtf8("<b>gr\u00FC\u00DF</b> www.x.org");
        connecting->input()->insert(marked);
        QTest::keyClick(connecting->input(), Qt::Key_Return);
        QTRY_VERIFY(listening->text()->toPlainText().endsWith("\n<amy> " + marked));
        QTest::keyClicks(listening->input(), "<i>back</i>");
        QTest::keyClick(listening->input(), Qt::Key_Return);
        QTRY_COMPARE(connecting->text()->toPlainText(), "<amy> " + marked + "\n<bob> <i>back</i>");
        QCOMPARE(chat.Lines().Lines().back(), "<bob> <i>back</i>\r");
        QVERIFY(!connecting->text()->document()->toHtml().contains("href"));
        // A partner is still there: the first close only disconnects it and starts the timer.
        listening->timer()->setInterval(50);
        QVERIFY(!listening->close());
        QVERIFY(listening->isVisible());
        QVERIFY(listening->timer()->isActive());
        QTRY_VERIFY(!listening->isVisible());
        QCOMPARE(listener.Partners(), 0);
        QVERIFY(connecting->close());
        QVERIFY(!connecting->timer()->isActive());
    }

    void userInfoWindowClosesByItsButton()
    {
        session::UserInfoModel model;
        gui::UserInfoWindow window(model);
        model.Show(irc::User{});
        QVERIFY(window.isVisible());
        QCOMPARE(window.findChild<QPushButton*>()->text(), "Close");
        click(window.findChild<QPushButton*>());
        QVERIFY(!window.isVisible());
        QVERIFY(!model.Visible());
    }

    // Only the user's clicks are reported; server names are plain text; the raw log follows.
    void sessionWindowTabsAndRawLogFollowTheModel()
    {
        Scene scene;
        QCOMPARE(scene.tabTexts(), "Main,Ignorlist");
        QVERIFY(scene.w.isStatusTimerRunning());
        QVERIFY(!scene.w.isCloseTimerRunning());
        QVERIFY(scene.w.focusProxy() == scene.w.inputLine()); // the keyboard goes to the input line, not the channel box
        QSignalSpy clicked(&scene.w, &gui::SessionWindow::tabActivated);
        scene.tabs.NewChannel("#a");
        scene.tabs.NewChannel("#b&c");
        QCOMPARE(scene.tabTexts(), "Main,#a,#b&&c,Ignorlist");
        QCOMPARE(scene.w.tabWidget()->currentIndex(), 2);
        const session::TabId closed = scene.idOf("#a");
        QVERIFY(scene.w.textViewOf(closed));
        scene.tabs.CloseTab(1);
        QCOMPARE(scene.tabTexts(), "Main,#b&&c,Ignorlist");
        QVERIFY(!scene.w.textViewOf(closed));
        QVERIFY(clicked.isEmpty());
        scene.w.tabWidget()->setCurrentIndex(0);
        QCOMPARE(clicked, QList<QVariantList>{{0}});
        QSignalSpy closing(&scene.w, &gui::SessionWindow::tabCloseRequested);
        scene.w.tabMenu()->actions().first()->trigger();
        QCOMPARE(closing.at(0).at(0).value<session::TabId>(), scene.tabs.Active().Id);
        scene.model.SetStatusPanel(2, "<img src=\"http://x/y.png\">");
        QCOMPARE(scene.w.statusLabel(2)->text(), "<img src=\"http://x/y.png\">");
        QCOMPARE(scene.w.statusLabel(2)->textFormat(), Qt::PlainText);
        scene.tabs.NewChannel("#gr\xFC\xDF");
        QCOMPARE(scene.w.tabWidget()->tabText(2), QString::fromUtf8("#grüß"));
        for (const char* line : {":a 001 me :hi", "PRIVMSG #c :\x03" "4red\x02"})
            scene.model.AppendRaw(line, true);
        auto* raw = scene.w.rawLogView();
        QTRY_COMPARE(raw->model()->rowCount(), 2);
        QCOMPARE(raw->currentIndex().data().toString(), QString::fromUtf8("PRIVMSG #c :\u24034red\u2402"));
        for (int i = 0; i < 50; ++i)
            scene.model.AppendRaw("line " + std::to_string(i), true);
        QTRY_COMPARE(raw->currentIndex().row(), 51);
        QCOMPARE(raw->indexAt(raw->visualRect(raw->currentIndex()).center()), raw->currentIndex());
        QVERIFY(raw->viewport()->rect().contains(raw->visualRect(raw->currentIndex()).center()));
        const QPoint inRow = raw->visualRect(raw->currentIndex()).topLeft() + QPoint(1, 1);
        QVERIFY(raw->viewport()->grab().toImage().pixelColor(inRow) != raw->palette().color(QPalette::Base)); // drawn selected
    }

    // Lines reach their tab's view, Clear empties it, and a link opens on a click. The
    // nick list refills with one reset; its actions need a selection.
    void sessionWindowShowsLinesAndActsOnTheChosenNick()
    {
        qRegisterMetaType<Nick>();
        Scene scene;
        scene.tabs.NewChannel("#a");
        scene.model.AddText("#a", "bob", "hi www.x.org", 0);
        gui::TextView* text = scene.w.textViewOf(scene.idOf("#a"));
        text->flushAppends();
        text->selectAll();
        QCOMPARE(text->selectedText(), QString("<bob>:hi www.x.org"));
        scene.model.ClearActive();
        QVERIFY(text->selectedText().isEmpty());
        QSignalSpy links(&scene.w, &gui::SessionWindow::linkClicked);
        scene.model.AddText("#a", "bob", "http://ex\xC3\xA4mple.de/a b", 0);
        text->flushAppends();
        click(text->viewport(), QPoint(3 + text->fontMetrics().horizontalAdvance("<bob>:http://ex"), text->lineHeight() / 2));
        QCOMPARE(links, QList<QVariantList>{{"http://xn--exmple-cua.de/a"}});
        QListView* view = scene.w.nickViewOf(scene.idOf("#a"));
        QAbstractItemModel* nicks = view->model();
        QSignalSpy resets(nicks, &QAbstractItemModel::modelReset);
        scene.tabs.RefillNickList("#a", {"bob", "amy", "cy"}, {1, 2, 0});
        QCOMPARE(resets.size(), 1);
        QCOMPARE(rowsOf(nicks), QStringList({"@bob", "+amy", "cy"}));
        QSignalSpy actions(&scene.w, &gui::SessionWindow::nickActionTriggered);
        scene.w.triggerNickAction(Nick::Kick);
        QVERIFY(actions.isEmpty());
        view->setCurrentIndex(nicks->index(0, 0));
        scene.w.triggerNickAction(Nick::Kick);
        QCOMPARE(actions, (QList<QVariantList>{{QVariant::fromValue(Nick::Kick), QByteArray("@bob")}}));
        const QList<QAction*> dcc = scene.w.nickMenu()->actions().at(1)->menu()->actions();
        QCOMPARE(dcc.size(), 2);
        for (const QAction* action : dcc)
            QVERIFY(action->isEnabled());
        scene.w.nickMenu()->actions().at(2)->menu()->actions().at(2)->trigger();
        QCOMPARE(actions.last().at(0).value<Nick>(), Nick::Op);
        QSignalSpy opened(&scene.w, &gui::SessionWindow::nickDoubleClicked);
        QVERIFY(QTest::qWaitForWindowExposed(&scene.w));
        const QPoint first = view->visualRect(nicks->index(0, 0)).center();
        // Item views want the press before the double-click, as a real mouse sends it.
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(opened, QList<QVariantList>{{QByteArray("@bob")}});
    }

    // The ignore list deletes by key and by its menu; the input line reports and recalls.
    void sessionWindowIgnoreListInputLineAndClose()
    {
        Scene scene;
        QObject::connect(&scene.w, &gui::SessionWindow::ignoreEntrySelected, &scene.w, [&](int row) { scene.model.SelectIgnoreEntry(row); });
        QObject::connect(&scene.w, &gui::SessionWindow::ignoreDeleteRequested, &scene.w, [&] { scene.model.DeleteSelectedIgnore(); });
        for (const char* nick : {"bob", "amy", "cy"})
            scene.model.IgnoreNick(nick);
        QListView* ignored = scene.w.ignoreView();
        ignored->setCurrentIndex(ignored->model()->index(1, 0));
        QTest::keyRelease(ignored, Qt::Key_Delete);
        QCOMPARE(rowsOf(ignored->model()), (QStringList{"bob", "cy"}));
        ignored->setCurrentIndex(ignored->model()->index(0, 0));
        scene.w.ignoreMenu()->actions().first()->trigger();
        QCOMPARE(scene.model.Ignores().Entries(), std::vector<std::string>{"cy"});
        ignored->setCurrentIndex(ignored->model()->index(0, 0));
        ignored->clearSelection();
        scene.w.ignoreMenu()->actions().first()->trigger(); // nothing chosen: nothing goes
        QCOMPARE(scene.model.Ignores().Entries(), std::vector<std::string>{"cy"});
        QSignalSpy up(&scene.w, &gui::SessionWindow::historyUp);
        QSignalSpy down(&scene.w, &gui::SessionWindow::historyDown);
        QSignalSpy action(&scene.w, &gui::SessionWindow::actionClicked);
        QSignalSpy edited(&scene.w, &gui::SessionWindow::inputEdited);
        QTest::keyClicks(scene.w.inputLine(), QStringLiteral("hi <b>"));
        for (const auto key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down})
            QTest::keyClick(scene.w.inputLine(), key);
        for (auto* button : scene.w.findChildren<QPushButton*>())
            if (button->text() == "Action")
                button->click();
        QCOMPARE(up.size(), 1);
        QCOMPARE(down.size(), 2);
        QCOMPARE(action.size(), 1);
        QCOMPARE(edited.last().at(0).toString(), QStringLiteral("hi <b>"));
        scene.w.inputLineChanged("older line"); // the model recalls a line
        QCOMPARE(scene.w.inputLine()->text(), QString("older line"));
        QCOMPARE(scene.w.inputLine()->cursorPosition(), 10);
        bool refuse = true;
        QObject::connect(&scene.w, &gui::SessionWindow::closeRequested, &scene.w, [&](bool* allowed) { *allowed = !refuse; });
        QVERIFY(!scene.w.close());
        QVERIFY(scene.w.isVisible());
        refuse = false;
        QVERIFY(scene.w.close());
        QVERIFY(!scene.w.isStatusTimerRunning());
    }

    // Ctrl+F over 300,000 stored lines: typing finds the one old match and scrolls to
    // it, a missing text says so, Escape closes the bar and gives the keyboard back.
    void findBarSearchesEveryStoredLine()
    {
        Scene scene;
        scene.w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&scene.w));
        for (int i = 0; i < 300000; ++i)
            scene.model.AddText("Main", "bob", i == 12 ? "the Needle is here" : "line " + std::to_string(i), 0);
        gui::TextView* view = scene.w.textViewOf(scene.model.Tabs().At(0).Id);
        view->flushAppends();
        QTest::keyClick(scene.w.inputLine(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(scene.w.findBar()->isVisible());
        QTest::keyClicks(scene.w.findField(), "qq");
        QVERIFY(view->isPinnedToBottom());
        scene.w.findField()->clear();
        QTest::keyClicks(scene.w.findField(), "NEEDLE");
        QVERIFY(view->firstVisibleLine() <= 12);
        QVERIFY(!view->isPinnedToBottom());
        QTest::keyClicks(scene.w.findField(), "x");
        QCOMPARE(scene.w.findBar()->findChildren<QLabel*>().last()->text(), "Not found");
        QTest::keyClick(scene.w.findField(), Qt::Key_Escape);
        QVERIFY(!scene.w.findBar()->isVisible());
        QCOMPARE(scene.w.focusWidget(), scene.w.inputLine());
    }

    // Runs keep their places after a surrogate pair; each line is painted in its colours.
    void textDecodesIntoRunsAndPaintsItsColours()
    {
        for (const std::string& row : test::readCases("gui/decoding.cases").front().lines("row"))
            QCOMPARE(gui::BuildDisplayLine(session::FormatLine(row.substr(0, row.find(" => ")), 0)).Text, QString::fromStdString(row.substr(row.find(" => ") + 4)));
        QStringList runs;
        for (const auto& r : gui::BuildDisplayLine(session::FormatLine("a\x02" "b\x02\x03" "4\x1F" "c\xF0\x9F\x98\x80x",
                                                                       session::RgbColour(0, 0, 0xFF))).Formats)
            runs << QString("%1+%2 %3%4%5").arg(r.start).arg(r.length).arg(r.format.foreground().color().name(),
                                                                           r.format.fontWeight() == QFont::Bold ? " bold" : "",
                                                                           r.format.fontUnderline() ? " ul" : "");
        // a, bold b, c in red underlined.
        QCOMPARE(runs, (QStringList{"0+1 #0000ff", "1+1 #0000ff bold", "2+4 #ff0000 ul"}));
        Shown colours({"\x03" "4MMMMMMMMMMMMMMMM", "\x03" "9MMMMMMMMMMMMMMMM", "MMMMMMMMMMMMMMMM"}, session::RgbColour(0, 0, 0xFF));
        const QImage image = colours.view.viewport()->grab().toImage();
        const auto count = [&](int row, QColor colour) {
            int found = 0;
            for (int y = row * colours.view.lineHeight(); y < (row + 1) * colours.view.lineHeight(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    found += image.pixelColor(x, y) == colour;
            return found;
        };
        QVERIFY(count(0, Qt::red) > 20);
        QCOMPARE(count(0, Qt::green), 0);
        QVERIFY(count(1, Qt::green) > 20);
        QVERIFY(count(2, Qt::blue) > 20);
        QCOMPARE(count(2, Qt::red), 0);
    }

    void textSelectsOpensAllowedLinksAndStaysPinned()
    {
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
        QCOMPARE(opened, QList<QVariantList>{{QUrl("http://a.org/x")}});
        shown.drag(shown.at(0, "see http://a."), shown.at(0)); // a drag selects and opens nothing
        QCOMPARE(opened.size(), 1);
        QCOMPARE(shown.view.selectedText(), "see http://a.");
        shown.text.Clear();
        shown.view.linesCleared();
        QVERIFY(shown.view.selectedText().isEmpty());
        QCOMPARE(shown.view.verticalScrollBar()->maximum(), 0);
        shown.view.viewport()->grab(); // paints nothing, touches no old line
        // The view stays at the newest line unless scrolled up.
        QScrollBar* bar = shown.view.verticalScrollBar();
        const auto append = [&](int count) {
            for (int i = 0; i < count; ++i) {
                shown.text.Append(session::FormatLine("line " + std::to_string(i), 0));
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

int main(int argc, char** argv)
{
    gui::PellApplication application(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "WindowTest.moc"
