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
#include "gui/QuickConnectDialog.h"
#include "gui/ScriptEditor.h"
#include "gui/SessionWindow.h"
#include "gui/SplashWindow.h"
#include "gui/TextDecoding.h"
#include "gui/TextView.h"
#include "gui/TransferWindow.h"
#include "gui/UserInfoWindow.h"

#include "net/TransportError.h"
#include "gui/GuiFakes.h"
#include "support/CaseFile.h"
#include "session/AddressList.h"
#include "session/LineFormatter.h"
#include "dcc/ListenPort.h"
#include "irc/User.h"

#include <QClipboard>
#include <QtTest>
#include <filesystem>
#include <set>
#include <unistd.h>

using namespace pell;
using namespace pell::test;
namespace fs = std::filesystem;
using Nick = pell::gui::NickAction;
Q_DECLARE_METATYPE(pell::gui::NickAction)

namespace {

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
        view.resize(700, 240), view.setLines(&text), view.show(), view.flushAppends();
    }
    QPoint at(int row, const QString& prefix = {}) const { return {3 + view.fontMetrics().horizontalAdvance(prefix), row * view.lineHeight() + view.lineHeight() / 2}; }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from), QTest::mouseMove(view.viewport(), to);
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
    void initTestCase() { gui::initResources(); }

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
        click(&button), click(&button);
        QCOMPARE(shown, QStringList(2, QString::fromStdString(net::TransportError::socket(ENOBUFS).what())));
    }

    void mainWindowWithItsMenusDialogsAddressesAndSplash()
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
        TempFolder home;
        RecordingWindows sessions;
        gui::AppShell shell(home.folder(), sessions);
        shell.start(std::chrono::milliseconds(0));
        gui::MainWindow* window = shell.mainWindow();
        QVERIFY(window->isVisible() && window->windowTitle() == "Pell-IRC" && window->size() == QSize(866, 592));
        window->updateStatus();
        QVERIFY(window->uptimePanel()->text() == "00:00:00" && QRegularExpression(QStringLiteral("^\\S.* --- \\S+$")).match(window->clockPanel()->text()).hasMatch());
        QTRY_VERIFY_WITH_TIMEOUT(window->uptimePanel()->text() != "00:00:00", 2500); // it ticks by itself

        // The about box: a click opens its address; a double-click draws a figure until it closes.
        gui::InfoForm* info = shell.infoForm();
        QVERIFY(!info->isVisible());
        window->helpMenu()->actions().back()->trigger();
        QVERIFY(info->isVisible() && info->size() == QSize(273, 327) && info->minimumSize() == info->maximumSize());
        click(info->addressLabel());
        QTest::mouseDClick(info->addressLabel(), Qt::LeftButton);
        QVERIFY(info->figure()->pointsDrawn() == 6 && info->figure()->isVisible());
        info->hide(), info->show();
        QVERIFY(info->figure()->pointsDrawn() == 0 && !info->figure()->isVisible());

        // The help window: German before any language is applied, while the menus are English.
        gui::HelpWindow* help = shell.helpWindow();
        window->helpMenu()->actions().front()->trigger();
        QVERIFY(help->isVisible() && help->size() == QSize(488, 423) && help->text()->isReadOnly());
        QVERIFY(help->text()->toPlainText().startsWith("User Befehle\n") && window->helpMenu()->title() == "&Help");

        // The script editor: hidden at start, opened from the Tools menu, centred, not modal.
        gui::ScriptEditor* editor = shell.scriptEditor();
        QVERIFY(editor && !editor->isVisible() && editor->windowTitle() == "Script-Editor" && editor->size() == QSize(663, 414));
        window->toolsMenu()->actions().back()->trigger();
        QVERIFY(editor->isVisible() && !editor->isModal() && (editor->frameGeometry().center() - window->frameGeometry().center()).manhattanLength() < 40);

        // Addresses newest first; a click opens the row under it; only web and mail addresses open.
        session::CollectUrls("see http://a.example/x and www.b.example", shell.core().shared().Addresses);
        session::CollectUrls("again http://a.example/x", shell.core().shared().Addresses);
        auto* addresses = window->addressList();
        QTRY_COMPARE(rowsOf(addresses->model()), (QStringList{"http://a.example/x", "www.b.example", "http://a.example/x"}));
        QVERIFY(addresses->height() == 71 && !addresses->selectionModel()->hasSelection());
        click(addresses->viewport(), QPoint(5, addresses->viewport()->height() - 2)); // below the rows: nothing
        click(addresses->viewport(), addresses->visualRect(addresses->model()->index(1, 0)).center());
        gui::QtDesktop().openUrl("file:///etc/passwd");
        QCOMPARE(handedToDesktop, (QList<QUrl>{QUrl(gui::InfoForm::WebAddress), QUrl("http://www.b.example")}));
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);

        const QPoint where = window->pos();
        for (const bool onTop : {true, false}) {
            window->onTopAction()->trigger();
            QCOMPARE(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        QCOMPARE(window->pos(), where);

        // A session window placed before the area had its size is fitted into it once shown.
        window->hide();
        QMdiSubWindow* sticking = window->sessionArea()->addSubWindow(new QWidget);
        sticking->setGeometry(-40, 10, 3000, 3000), window->show();
        const QSize room = window->sessionArea()->viewport()->size();
        QTRY_COMPARE(sticking->geometry(), QRect(0, 10, room.width(), room.height() - 10));

        // The options dialog shows the settings, edits them at once and saves only on its buttons.
        settings::AppSettings& values = shell.core().settings();
        values.RealName = "J\xF6rg", values.Password = "p\xE4ss"; // Latin-1, from another machine
        window->optionsMenu()->actions().front()->trigger();
        auto* options = window->findChild<gui::OptionsDialog*>();
        const auto edit = [&](const char* name) { return named<QLineEdit>(options, name); };
        const auto box = [&](const char* name) { return named<QComboBox>(options, name); };
        QVERIFY(options->isVisible() && !options->isModal() && options->size() == QSize(750, 519) && edit("serverPort")->text() == "6667"
                && !named(options, "serverIdentity")->isEnabled());
        for (auto [name, shown] : {std::pair{"proxyType", "svNoSocks"}, {"downloadMode", "ask for download"}})
            QVERIFY(box(name)->currentIndex() == -1 && box(name)->placeholderText() == shown);
        QTest::keyClicks(edit("proxyHost"), "proxy.lan"), box("proxyType")->activated(3), named<QRadioButton>(options, "german")->click();
        QVERIFY(values.ProxyHost == "proxy.lan" && values.ProxyType == settings::ProxyType::Socks5 && values.Language == settings::Language::German);
        // The language relabels every control of the caption table and refills the help;
        // back in English the table's words stay ("Stay on top", not "On Top").
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
            QCOMPARE(help->text()->toPlainText().split('\n').size(), 144);
            QVERIFY(help->text()->toPlainText().startsWith(language == app::Language::German ? "User Befehle\n" : "User Command\n"));
        }
        QCOMPARE(window->onTopAction()->text() + window->helpMenu()->title(), "Stay on top&Info");
        QTest::keyClicks(edit("extensionField0"), "X"), click(named(options, "extensionSave0"));
        QCOMPARE(named<QListWidget>(options, "extensionList0")->item(7)->text(), QString("*.mp3X"));
        named<QTabWidget>(options, "tabs")->setCurrentIndex(1); // the server list, Save in view
        edit("serverName")->setFocus();
        QTest::keyClicks(edit("serverName"), "Net");
        QTest::keyClick(edit("serverName"), Qt::Key_Return); // Enter in a field presses no Save
        settings::ServerList& list = shell.core().servers();
        QVERIFY(list.entryCount() == 0 && !fs::exists(home.file("SList.dat")));
        QTest::keyClicks(edit("serverHost"), "irc.net"), click(named(options, "serverSave"));
        auto* rows = named<QTreeWidget>(options, "serverRows");
        QVERIFY(rows->topLevelItemCount() == 1 && rows->topLevelItem(0)->text(1) == "irc.net"
                && fs::exists(home.file("SList.dat")) && captions(window->serverMenu()) == QStringList{"Net"});
        // A rebuild of the server views replaces every item of the Server menu and of the list.
        list.storeEntry(settings::ServerList::entryLines(settings::ServerProfile{.Name = "O&ther"}));
        shell.core().serverViews().RebuildServerViews(list), click(named(options, "serverDelete"));
        // "&" shows as typed ("&&" in a menu) and the click finds the entry as it was stored.
        QVERIFY(rows->topLevelItemCount() == 1 && captions(window->serverMenu()) == QStringList{"O&&ther"});
        window->serverMenu()->actions().front()->trigger();
        QVERIFY(sessions.created.size() == 1 && sessions.created[0].Name == "O&ther");
        // Every close writes the files, by its button and by the frame.
        auto* nick = named(options, "user")->findChild<QLineEdit*>("nick");
        QTest::keyClicks(nick, "my nick");
        for (const bool byFrame : {false, true}) {
            fs::remove(home.file("Proxy.ini"));
            window->optionsMenu()->actions().front()->trigger();
            byFrame ? void(options->close()) : click(named(options, "close"));
            QVERIFY(!options->isVisible() && fs::exists(home.file("Proxy.ini")) && nick->text() == "mynick");
        }
        // Values the user did not edit keep their bytes, through the fields and into the file.
        QVERIFY(values.RealName == "J\xF6rg" && values.Password == "p\xE4ss" && values.Nick == "mynick");
        QVERIFY(readBytes(home.file("settings.ini")).find("\r\nJ\xF6rg\r\n") != std::string::npos);

        // Quick connect opens a session however it closes, with the global identity read
        // again at each opening.
        values.Nick = "global";
        auto* quick = window->findChild<gui::QuickConnectDialog*>();
        QTimer::singleShot(0, quick, [&] {
            auto* nick = named<QLineEdit>(quick, "nick");
            QVERIFY(quick->isModal() && quick->size() == QSize(334, 436) && nick->text() == "global" && !nick->isEnabled());
            named<QCheckBox>(quick, "useStandard")->click(), nick->clear(), QTest::keyClicks(nick, "one off");
            // A host pasted with its line end: the field drops it, so no file line can split.
            QGuiApplication::clipboard()->setText(QStringLiteral("irc.example\r\n"));
            QTest::keyClick(named(quick, "server"), Qt::Key_V, Qt::ControlModifier);
            click(named(quick, "connect"));
        });
        window->fileMenu()->actions().front()->trigger();
        shell.core().quickConnect().identity.values.Nick = "stale";
        QTimer::singleShot(0, quick, &QWidget::close);
        window->fileMenu()->actions().front()->trigger();
        QVERIFY(sessions.created.size() == 3 && sessions.created[1].Host == "irc.example");
        QCOMPARE(sessions.created[1].Nick + sessions.created[2].Nick, "oneoffglobal");

        // The splash and its picture; broken pictures give nothing and never end the program.
        gui::SplashWindow splash;
        QVERIFY(splash.size() == QSize(374, 215) && splash.windowFlags().testFlag(Qt::FramelessWindowHint)
                && splash.geometry().center() == QGuiApplication::primaryScreen()->geometry().center());
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
        QVERIFY(chooser.windowTitle() == "Folder" && chooser.size() == QSize(242, 425) && chooser.selectedPath() == temp.path().string());
        auto* tree = chooser.findChild<QTreeWidget*>();
        tree->currentItem()->setExpanded(true);
        QCOMPARE(rowsOf(tree->model(), tree->currentIndex()), QStringList{"music"}); // folders only
        QVERIFY(!chooser.selectPath(temp.file("file.txt")));
        fs::create_directory(temp.path() / "new"), QTest::keyClick(tree, Qt::Key_F5);
        QCOMPARE(rowsOf(tree->model(), tree->currentIndex()), (QStringList{"music", "new"}));
        fs::create_directory(temp.path() / "later"); // seen without F5
        QTRY_COMPARE(rowsOf(tree->model(), tree->currentIndex()), (QStringList{"later", "music", "new"}));
        gui::FolderChooser fromRoot(nullptr, "/");
        QTimer::singleShot(10, &fromRoot, &QWidget::close);
        QVERIFY(fromRoot.selectPath(temp.file("music")));
        QCOMPARE(fromRoot.choose(), temp.file("music"));
    }

    // Both transfer windows draw the progress to the end state; a window closed while its
    // worker runs takes its model with it, and nothing reports into it afterwards.
    void transferWindowsShowProgressAndCloseRunning()
    {
        TempFolder temp;
        writeBytes(temp.file("f.bin"), std::string(300000, 'f'));
        dcc::NextListenPort() = 20000 + ::getpid() % 20000;
        gui::QtGuiDispatcher dispatcher;
        auto send = std::make_unique<dcc::DccSend>(dispatcher);
        send->SetSendFile(temp.file("f.bin"));
        QVERIFY(send->OpenListener());
        std::unique_ptr<gui::TransferWindow> sending(gui::TransferWindow::forSend(*send)), receiving;
        std::unique_ptr<dcc::DccDownload> download;
        const auto start = [&](dcc::ReceiveTiming timing) {
            download = std::make_unique<dcc::DccDownload>(dispatcher, dcc::DownloadOffer{"127.0.0.1", send->Port, "f.bin", 300000},
                                                             dcc::DownloadRules{{}, temp.file("in")}, timing);
            receiving.reset(gui::TransferWindow::forDownload(*download)), receiving->show(), sending->show(), download->StartDownload();
        };
        start({300, 0, 1});
        QSignalSpy values(receiving->progressBar(), &QProgressBar::valueChanged);
        QTRY_VERIFY_WITH_TIMEOUT(!download->Running(), 10000);
        QTRY_VERIFY(sending->log()->toPlainText().endsWith("Remote CRC = 300000 local = 300000"));
        const auto shows = [](QWidget* w, const char* text) { const auto all = w->findChildren<QLabel*>(); return std::any_of(all.begin(), all.end(), [&](QLabel* l) { return l->text() == text; }); };
        for (auto [window, caption] : {std::pair{receiving.get(), "Download file"}, {sending.get(), "Send file"}})
            QVERIFY(window->windowTitle() == caption && window->progressBar()->value() == 100 && shows(window, "300000 bytes") && shows(window, "100%"));
        QVERIFY(receiving->errorLabel()->text() == "wrote FINAL checksum");
        QVERIFY(std::any_of(values.begin(), values.end(), [](const QList<QVariant>& v) { return v.at(0).toInt() > 0 && v.at(0).toInt() < 100; }));
        start({}); // paced: about 200 KB/s, so both workers are busy at the close
        QObject::connect(receiving.get(), &gui::TransferWindow::closed, [&] { download.reset(); }), QObject::connect(sending.get(), &gui::TransferWindow::closed, [&] { send.reset(); });
        QTRY_VERIFY(receiving->progressBar()->value() > 0 && download->Running());
        QVERIFY(receiving->close() && !download && sending->close() && !send);
        QTest::qWait(100); // reports posted before the close fall on the floor
    }

    // Both chat windows: "<nick> text" lines, the partner's text as plain text (no markup,
    // no links, no drawn carriage return); the listening one closes in two phases.
    void chatWindowsShowPlainLinesAndClose()
    {
        dcc::NextListenPort() = 20100 + ::getpid() % 20000;
        gui::QtGuiDispatcher dispatcher;
        dcc::DirectChatListener listener(dispatcher);
        dcc::DirectChat chat;
        listener.RemoteNick = chat.OwnNick = "amy", listener.OwnNick = chat.RemoteNick = "bob";
        QVERIFY(listener.StartListen());
        chat.Host = "127.0.0.1", chat.Port = listener.Port, chat.Connect();
        std::unique_ptr<gui::DirectChatWindow> listening(gui::DirectChatWindow::forListener(listener)), connecting(gui::DirectChatWindow::forChat(chat));
        // The poll's pace is the model's; here it only has to be quick.
        listening->refreshCaption(), connecting->refreshCaption(), listening->show(), connecting->show(), connecting->timer()->setInterval(10);
        QVERIFY(listening->windowTitle() == "Direct Chat [amy]" && connecting->windowTitle() == "Direct Chat [bob]");
        QTRY_VERIFY(listening->text()->toPlainText().startsWith("Connected: 127.0.0.1:"));
        const QString marked = QString::fromUtf8("<b>gr\u00FC\u00DF</b> www.x.org");
        connecting->input()->insert(marked), QTest::keyClick(connecting->input(), Qt::Key_Return);
        QTRY_VERIFY(listening->text()->toPlainText().endsWith("\n<amy> " + marked));
        QTest::keyClicks(listening->input(), "<i>back</i>"), QTest::keyClick(listening->input(), Qt::Key_Return);
        QTRY_COMPARE(connecting->text()->toPlainText(), "<amy> " + marked + "\n<bob> <i>back</i>");
        QVERIFY(chat.Lines().Lines().back() == "<bob> <i>back</i>\r" && !connecting->text()->document()->toHtml().contains("href"));
        // A partner is still there: the first close only disconnects it and starts the timer.
        QVERIFY((listening->timer()->setInterval(50), !listening->close()) && listening->isVisible() && listening->timer()->isActive());
        QTRY_VERIFY(!listening->isVisible() && listener.Partners() == 0);
        QVERIFY(connecting->close() && !connecting->timer()->isActive());
    }

    void userInfoWindowClosesByItsButton()
    {
        session::UserInfoModel model;
        gui::UserInfoWindow window(model);
        QVERIFY((model.Show(irc::User{}), window.isVisible()) && window.findChild<QPushButton*>()->text() == "Close");
        QVERIFY((click(window.findChild<QPushButton*>()), !window.isVisible() && !model.Visible()));
    }

    void sessionWindowShowsItsModelAndForwardsTheUser()
    {
        qRegisterMetaType<Nick>();
        settings::AppSettings values;
        session::SessionShared shared;
        RecordingDesktop desktop;
        RecordingPrompts prompts;
        CancelledSave saveDialog;
        gui::SessionWindow w;
        session::SessionModel model{values, shared, session::SessionPorts{w, desktop, prompts, saveDialog}};
        w.attach(&model), w.show();
        session::SessionTabs& tabs = model.Tabs();
        const auto idOf = [&](const std::string& caption) { return tabs.At(tabs.Find(caption)).Id; };
        auto tabTexts = [&, texts = QStringList()]() mutable {
            for (int i = (texts.clear(), 0); i < w.tabWidget()->count(); ++i)
                texts << w.tabWidget()->tabText(i);
            return texts.join(',');
        };
        QVERIFY(tabTexts() == "Main,Ignorlist" && w.isStatusTimerRunning() && !w.isCloseTimerRunning());
        QVERIFY(w.focusProxy() == w.inputLine()); // the keyboard goes to the input line, not the channel box

        // Tabs follow the model; only the user's clicks are reported back.
        QSignalSpy clicked(&w, &gui::SessionWindow::tabActivated);
        tabs.NewChannel("#a"), tabs.NewChannel("#b&c");
        QVERIFY(tabTexts() == "Main,#a,#b&&c,Ignorlist" && w.tabWidget()->currentIndex() == 2);
        const session::TabId closed = idOf("#a");
        QVERIFY(w.textViewOf(closed) && (tabs.CloseTab(1), true));
        QVERIFY(tabTexts() == "Main,#b&&c,Ignorlist" && !w.textViewOf(closed) && clicked.isEmpty());
        w.tabWidget()->setCurrentIndex(0);
        QVERIFY(clicked.size() == 1 && clicked.at(0).at(0).toInt() == 0);
        QSignalSpy closing(&w, &gui::SessionWindow::tabCloseRequested);
        w.tabMenu()->actions().first()->trigger();
        QCOMPARE(closing.at(0).at(0).value<session::TabId>(), tabs.Active().Id);

        // Names from the server are never markup, nor always UTF-8; raw lines show codes as pictures.
        model.SetStatusPanel(2, "<img src=\"http://x/y.png\">");
        QVERIFY(w.statusLabel(2)->text() == "<img src=\"http://x/y.png\">" && w.statusLabel(2)->textFormat() == Qt::PlainText);
        QCOMPARE((tabs.NewChannel("#gr\xFC\xDF"), w.tabWidget()->tabText(2)), QString::fromUtf8("#grüß"));
        for (const char* line : {":a 001 me :hi", "PRIVMSG #c :\x03" "4red\x02"})
            model.AppendRaw(line, true);
        QTRY_COMPARE(w.rawLogView()->model()->rowCount(), 2);
        QCOMPARE(w.rawLogView()->currentIndex().data().toString(), QString::fromUtf8("PRIVMSG #c :\u24034red\u2402"));
        // A long log scrolls to its newest, selected line, and a click there finds that line.
        for (int i = 0; i < 50; ++i)
            model.AppendRaw("line " + std::to_string(i), true);
        auto* raw = w.rawLogView();
        QTRY_COMPARE(raw->currentIndex().row(), 51);
        QCOMPARE(raw->indexAt(raw->visualRect(raw->currentIndex()).center()), raw->currentIndex());
        QVERIFY(raw->viewport()->rect().contains(raw->visualRect(raw->currentIndex()).center()));
        const QPoint inRow = raw->visualRect(raw->currentIndex()).topLeft() + QPoint(1, 1);
        QVERIFY(raw->viewport()->grab().toImage().pixelColor(inRow) != raw->palette().color(QPalette::Base)); // drawn selected

        // Lines reach their tab's view, Clear empties it, and a link opens on a click.
        model.AddText("#a", "bob", "hi www.x.org", 0);
        gui::TextView* text = w.textViewOf(idOf("#a"));
        text->flushAppends(), text->selectAll();
        QCOMPARE(text->selectedText(), QString("<bob>:hi www.x.org"));
        QVERIFY((model.ClearActive(), text->selectedText().isEmpty()));
        QSignalSpy links(&w, &gui::SessionWindow::linkClicked);
        model.AddText("#a", "bob", "http://ex\xC3\xA4mple.de/a b", 0), text->flushAppends();
        click(text->viewport(), QPoint(3 + text->fontMetrics().horizontalAdvance("<bob>:http://ex"), text->lineHeight() / 2));
        QVERIFY(links.size() == 1 && links.at(0).at(0).toString() == "http://xn--exmple-cua.de/a");

        // The nick list refills with one reset; its actions need a selection.
        QListView* view = w.nickViewOf(idOf("#a"));
        QAbstractItemModel* nicks = view->model();
        QSignalSpy resets(nicks, &QAbstractItemModel::modelReset);
        tabs.RefillNickList("#a", {"bob", "amy", "cy"}, {1, 2, 0});
        QVERIFY(resets.size() == 1 && rowsOf(nicks) == QStringList({"@bob", "+amy", "cy"}));
        QSignalSpy actions(&w, &gui::SessionWindow::nickActionTriggered);
        QVERIFY((w.triggerNickAction(Nick::Kick), actions.isEmpty()));
        view->setCurrentIndex(nicks->index(0, 0)), w.triggerNickAction(Nick::Kick);
        QVERIFY(actions.size() == 1 && actions.at(0).at(0).value<Nick>() == Nick::Kick && actions.at(0).at(1).toByteArray() == "@bob");
        const QList<QAction*> dcc = w.nickMenu()->actions().at(1)->menu()->actions();
        QVERIFY(dcc.size() == 2 && dcc.at(0)->isEnabled() && dcc.at(1)->isEnabled());
        w.nickMenu()->actions().at(2)->menu()->actions().at(2)->trigger();
        QCOMPARE(actions.last().at(0).value<Nick>(), Nick::Op);
        QSignalSpy opened(&w, &gui::SessionWindow::nickDoubleClicked);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint first = view->visualRect(nicks->index(0, 0)).center();
        // Item views want the press before the double-click, as a real mouse sends it.
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        QVERIFY(opened.size() == 1 && opened.at(0).at(0).toByteArray() == "@bob");

        // The ignore list deletes the selected entry by key and by its menu.
        QObject::connect(&w, &gui::SessionWindow::ignoreEntrySelected, &w, [&](int row) { model.SelectIgnoreEntry(row); });
        QObject::connect(&w, &gui::SessionWindow::ignoreDeleteRequested, &w, [&] { model.DeleteSelectedIgnore(); });
        for (const char* nick : {"bob", "amy", "cy"})
            model.IgnoreNick(nick);
        QListView* ignored = w.ignoreView();
        ignored->setCurrentIndex(ignored->model()->index(1, 0)), QTest::keyRelease(ignored, Qt::Key_Delete);
        QCOMPARE(rowsOf(ignored->model()), (QStringList{"bob", "cy"}));
        ignored->setCurrentIndex(ignored->model()->index(0, 0)), w.ignoreMenu()->actions().first()->trigger();
        QCOMPARE(model.Ignores().Entries(), std::vector<std::string>{"cy"});
        ignored->setCurrentIndex(ignored->model()->index(0, 0)), ignored->clearSelection();
        w.ignoreMenu()->actions().first()->trigger(); // nothing chosen: nothing goes
        QCOMPARE(model.Ignores().Entries(), std::vector<std::string>{"cy"});

        // The input line: history keys, Action with the typed text, a recalled line.
        QSignalSpy up(&w, &gui::SessionWindow::historyUp);
        QSignalSpy down(&w, &gui::SessionWindow::historyDown);
        QSignalSpy action(&w, &gui::SessionWindow::actionClicked);
        QSignalSpy edited(&w, &gui::SessionWindow::inputEdited);
        QTest::keyClicks(w.inputLine(), QStringLiteral("hi <b>"));
        for (const auto key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down})
            QTest::keyClick(w.inputLine(), key);
        for (auto* button : w.findChildren<QPushButton*>())
            if (button->text() == "Action")
                button->click();
        QCOMPARE(up.size(), 1);
        QCOMPARE(down.size(), 2);
        QCOMPARE(action.size(), 1);
        QCOMPARE(edited.last().at(0).toString(), QStringLiteral("hi <b>"));
        w.inputLineChanged("older line"); // the model recalls a line
        QCOMPARE(w.inputLine()->text(), QString("older line"));
        QCOMPARE(w.inputLine()->cursorPosition(), 10);

        bool refuse = true;
        QObject::connect(&w, &gui::SessionWindow::closeRequested, &w, [&](bool* allowed) { *allowed = !refuse; });
        QVERIFY(!w.close() && w.isVisible() && !(refuse = false));
        QVERIFY(w.close() && !w.isStatusTimerRunning() && (w.attach(nullptr), true));
    }

    void textDecodesPaintsSelectsOpensAllowedLinksAndStaysPinned()
    {
        for (const std::string& row : test::readCases("gui/decoding.cases").front().lines("row"))
            QCOMPARE(gui::BuildDisplayLine(session::FormatLine(row.substr(0, row.find(" => ")), 0)).Text, QString::fromStdString(row.substr(row.find(" => ") + 4)));
        // a, bold b, c in red underlined: the runs keep their places after a surrogate pair.
        QStringList runs;
        for (const auto& r : gui::BuildDisplayLine(session::FormatLine("a\x02" "b\x02\x03" "4\x1F" "c\xF0\x9F\x98\x80x",
                                                                       session::RgbColour(0, 0, 0xFF))).Formats)
            runs << QString("%1+%2 %3%4%5").arg(r.start).arg(r.length).arg(r.format.foreground().color().name(),
                                                                           r.format.fontWeight() == QFont::Bold ? " bold" : "",
                                                                           r.format.fontUnderline() ? " ul" : "");
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
        QVERIFY(count(0, Qt::red) > 20 && count(0, Qt::green) == 0 && count(1, Qt::green) > 20 && count(2, Qt::blue) > 20 && count(2, Qt::red) == 0);

        const QString first = "see http://a.org/x b file:///etc/passwd c www.b.de <b>&amp;";
        Shown shown({first.toStdString(), "<amy>:\x02second\x02 line", "<cy>:third"});
        shown.drag(QPoint(1, shown.at(0).y()), QPoint(600, shown.at(1).y()));
        QCOMPARE(shown.view.selectedText(), first + "\n<amy>:second line"); // received HTML stays literal
        QTest::keyClick(&shown.view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), first + "\n<amy>:second line");
        QVERIFY((QTest::keyClick(&shown.view, Qt::Key_A, Qt::ControlModifier), shown.view.selectedText().endsWith("line\n<cy>:third")));
        QTest::mouseDClick(shown.view.viewport(), Qt::LeftButton, {}, shown.at(1, "<amy>:second li"));
        QCOMPARE(shown.view.selectedText(), QString("line"));
        std::set<QString> found;
        for (int x = 0; x < shown.view.viewport()->width(); ++x)
            if (const auto url = shown.view.linkAt(QPoint(x, shown.at(0).y())))
                found.insert(url->toString());
        QVERIFY(found == std::set<QString>({"http://a.org/x", "http://www.b.de"}) && !shown.view.linkAt(shown.at(1)));
        QSignalSpy opened(&shown.view, &gui::TextView::linkActivated);
        click(shown.view.viewport(), shown.at(0, "see http://a."));
        QVERIFY(opened.size() == 1 && opened.at(0).at(0).toUrl() == QUrl("http://a.org/x"));
        shown.drag(shown.at(0, "see http://a."), shown.at(0)); // a drag selects and opens nothing
        QVERIFY(opened.size() == 1 && shown.view.selectedText() == "see http://a.");
        shown.text.Clear(), shown.view.linesCleared();
        QVERIFY(shown.view.selectedText().isEmpty() && shown.view.verticalScrollBar()->maximum() == 0);
        shown.view.viewport()->grab(); // paints nothing, touches no old line

        // The view stays at the newest line unless scrolled up.
        QScrollBar* bar = shown.view.verticalScrollBar();
        const auto append = [&](int count) {
            for (int i = 0; i < count; ++i)
                shown.text.Append(session::FormatLine("line " + std::to_string(i), 0)), shown.view.linesAppended();
        };
        append(500);
        // Appends are coalesced: the view catches up with the next repaint, not per line.
        QCOMPARE(bar->maximum(), 0);
        QTRY_VERIFY(bar->maximum() > 400 && bar->value() == bar->maximum());
        bar->setValue(10), append(100), shown.view.flushAppends();
        QVERIFY(bar->value() == 10 && !shown.view.isPinnedToBottom());
        bar->setValue(bar->maximum()), append(100), shown.view.flushAppends();
        QVERIFY(bar->value() == bar->maximum() && shown.view.firstVisibleLine() + bar->pageStep() == 700);
    }
};

int main(int argc, char** argv)
{
    gui::PellApplication application(argc, argv);
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "WindowTest.moc"
