#include "gui/SessionWindow.h"
#include "gui/TextView.h"
#include "session/LineFormatter.h"
#include "session/SessionFakes.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

using namespace pell;
using namespace pell::gui;
using session::testing::FakeDesktop;
using session::testing::FakePrompts;
using session::testing::FakeSaveDialog;

Q_DECLARE_METATYPE(pell::gui::NickAction)

namespace {

// A window over a real session model, as the program puts them together.
struct Session {
    settings::AppSettings settings;
    session::SessionShared shared;
    FakeDesktop desktop;
    FakePrompts prompts;
    FakeSaveDialog saveDialog;
    SessionWindow window{SessionCaptions{}};
    session::SessionModel model{settings, shared, session::SessionPorts{window, desktop, prompts, saveDialog}};

    Session()
    {
        window.attach(&model);
        window.show();
    }
    ~Session() { window.attach(nullptr); }

    QStringList tabCaptions() const
    {
        QStringList captions;
        for (int i = 0; i < window.tabWidget()->count(); ++i)
            captions << window.tabWidget()->tabText(i);
        return captions;
    }
    session::TabId idOf(const std::string& caption) { return model.Tabs().At(model.Tabs().Find(caption)).Id; }
    QStringList nickRows(const std::string& caption)
    {
        QStringList rows;
        const auto* nicks = window.nickViewOf(idOf(caption))->model();
        for (int row = 0; row < nicks->rowCount(); ++row)
            rows << nicks->index(row, 0).data().toString();
        return rows;
    }
    void selectNick(const std::string& caption, int row)
    {
        QListView* view = window.nickViewOf(idOf(caption));
        view->setCurrentIndex(view->model()->index(row, 0));
    }
};

QStringList texts(const QList<QAction*>& actions)
{
    QStringList result;
    for (const QAction* action : actions)
        result << action->text();
    return result;
}

} // namespace

class SessionWindowTest : public QObject {
    Q_OBJECT
private slots:
    void newWindowShowsMainAndIgnorlist();
    void buttonsTakeTheGivenCaptions();
    void followsTheModelsTabs();
    void receivedNamesStayLiteral();
    void linesReachTheirTabsView();
    void nickListModelFollowsRefills();
    void nickActionsNeedASelection();
    void ignoreListDeletesWithMenuAndKey();
    void inputKeysAndActionAreForwarded();
    void rawLogShowsNewestLine();
    void closeCanBeRefused();
};

void SessionWindowTest::newWindowShowsMainAndIgnorlist()
{
    Session session;
    QCOMPARE(session.tabCaptions(), (QStringList{"Main", "Ignorlist"}));
    QCOMPARE(session.window.tabWidget()->currentIndex(), 0);
    QCOMPARE(session.window.windowTitle(), QString("Channel"));
    QCOMPARE(session.window.nickViewOf(session.idOf("Main"))->width(), 123);
    QCOMPARE(session.window.rawLogView()->height(), 29);
    for (const auto& [panel, width] : {std::pair{0, 100}, {1, 150}, {2, 50}})
        QCOMPARE(session.window.statusLabel(panel)->width(), width);
    QVERIFY(session.window.isStatusTimerRunning());
    QVERIFY(!session.window.isCloseTimerRunning());
}

void SessionWindowTest::buttonsTakeTheGivenCaptions()
{
    SessionCaptions german;
    german.Join = "Beitreten";
    german.Action = "Aktion";
    SessionWindow window(german);
    QStringList captions;
    for (const auto* button : window.findChildren<QPushButton*>())
        captions << button->text();
    QVERIFY(captions.contains("Beitreten"));
    QVERIFY(captions.contains("Aktion"));
    QVERIFY(!captions.contains("Join"));
    QCOMPARE(captions.size(), 11);
}

void SessionWindowTest::followsTheModelsTabs()
{
    Session session;
    QSignalSpy clicked(&session.window, &SessionWindow::tabActivated);
    session.model.Tabs().NewChannel("#a");
    session.model.Tabs().NewChannel("#b&c");
    QCOMPARE(session.tabCaptions(), (QStringList{"Main", "#a", "#b&&c", "Ignorlist"}));
    QCOMPARE(session.window.tabWidget()->currentIndex(), 2);
    QVERIFY(clicked.isEmpty()); // the model's own changes are not reported back

    const session::TabId closed = session.idOf("#a");
    QVERIFY(session.window.textViewOf(closed));
    session.model.Tabs().CloseTab(1);
    QCOMPARE(session.tabCaptions(), (QStringList{"Main", "#b&&c", "Ignorlist"}));
    QVERIFY(!session.window.textViewOf(closed));

    session.window.tabWidget()->setCurrentIndex(0);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), 0);

    QSignalSpy closing(&session.window, &SessionWindow::tabCloseRequested);
    session.window.tabMenu()->actions().first()->trigger();
    QCOMPARE(closing.at(0).at(0).value<session::TabId>(), session.model.Tabs().Active().Id);
}

void SessionWindowTest::receivedNamesStayLiteral()
{
    Session session;
    session.model.SetStatusPanel(2, "<img src=\"http://x/y.png\">");
    QCOMPARE(session.window.statusLabel(2)->text(), QString("<img src=\"http://x/y.png\">"));
    QCOMPARE(session.window.statusLabel(2)->textFormat(), Qt::PlainText);
    session.model.Tabs().NewChannel("#gr\xFC\xDF");
    QCOMPARE(session.tabCaptions().at(1), QString::fromUtf8("#grüß"));
}

void SessionWindowTest::linesReachTheirTabsView()
{
    Session session;
    session.model.AddText("#a", "bob", "hi www.x.org", 0);
    TextView* view = session.window.textViewOf(session.idOf("#a"));
    QVERIFY(view);
    view->flushAppends();
    view->selectAll();
    QCOMPARE(view->selectedText(), QString("<bob>:hi www.x.org"));
    session.model.ClearActive();
    QCOMPARE(view->selectedText(), QString());

    QSignalSpy links(&session.window, &SessionWindow::linkClicked);
    session.model.AddText("#a", "bob", "http://ex\xC3\xA4mple.de/a b", 0);
    view->flushAppends();
    const int x = 3 + QFontMetrics(view->font()).horizontalAdvance("<bob>:http://ex");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x, view->lineHeight() / 2));
    QCOMPARE(links.size(), 1);
    QCOMPARE(links.at(0).at(0).toString(), QString("http://xn--exmple-cua.de/a"));
}

void SessionWindowTest::nickListModelFollowsRefills()
{
    Session session;
    session.model.Tabs().NewChannel("#a");
    auto* nicks = session.window.nickViewOf(session.idOf("#a"))->model();
    QSignalSpy resets(nicks, &QAbstractItemModel::modelReset);
    session.model.Tabs().RefillNickList("#a", {"bob", "amy", "cy", "dan"}, {1, 2, 3, 0});
    QCOMPARE(session.nickRows("#a"), (QStringList{"+amy", "@+cy", "@bob", "dan"}));
    session.model.Tabs().AddUserTo("#a", "eve");
    session.model.Tabs().DelUser("bob");
    QCOMPARE(session.nickRows("#a"), (QStringList{"+amy", "@+cy", "dan", "eve"}));

    std::vector<std::string> many;
    for (int i = 0; i < 10000; ++i)
        many.push_back("user" + std::to_string(i));
    resets.clear();
    session.model.Tabs().RefillNickList("#a", many, std::vector<int>(many.size(), 0));
    QCOMPARE(resets.size(), 1);
    QCOMPARE(nicks->rowCount(), 10000);
    QCOMPARE(session.nickRows("Main"), QStringList{});
}

void SessionWindowTest::nickActionsNeedASelection()
{
    qRegisterMetaType<NickAction>();
    Session session;
    session.model.Tabs().NewChannel("#a");
    session.model.Tabs().RefillNickList("#a", {"bob", "amy"}, {1, 0});
    QSignalSpy actions(&session.window, &SessionWindow::nickActionTriggered);
    session.window.triggerNickAction(NickAction::Kick);
    QVERIFY(actions.isEmpty());

    session.selectNick("#a", 0);
    session.window.triggerNickAction(NickAction::Kick);
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions.at(0).at(0).value<NickAction>(), NickAction::Kick);
    QCOMPARE(actions.at(0).at(1).toByteArray(), QByteArray("@bob"));

    QSignalSpy opened(&session.window, &SessionWindow::nickDoubleClicked);
    QListView* view = session.window.nickViewOf(session.idOf("#a"));
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    const QRect second = view->visualRect(view->model()->index(1, 0));
    // Item views want the press before the double-click, as a real mouse sends it.
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toByteArray(), QByteArray("amy"));

    QMenu* menu = session.window.nickMenu();
    QCOMPARE(texts(menu->actions()),
             (QStringList{"Invite", "DCC", "Misc", "Ignore", "Ban", "Kick", "Info", "Unignore"}));
    const QList<QAction*> dcc = menu->actions().at(1)->menu()->actions();
    QCOMPARE(texts(dcc), (QStringList{"Send file to", "Chat"}));
    QVERIFY(dcc.at(0)->isEnabled() && dcc.at(1)->isEnabled());
    QCOMPARE(texts(menu->actions().at(2)->menu()->actions()), (QStringList{"Voice", "DeVoice", "Op", "DeOp"}));
    menu->actions().at(2)->menu()->actions().at(2)->trigger();
    QCOMPARE(actions.last().at(0).value<NickAction>(), NickAction::Op);
}

void SessionWindowTest::ignoreListDeletesWithMenuAndKey()
{
    Session session;
    QObject::connect(&session.window, &SessionWindow::ignoreEntrySelected, &session.window,
                     [&](int row) { session.model.SelectIgnoreEntry(row); });
    QObject::connect(&session.window, &SessionWindow::ignoreDeleteRequested, &session.window,
                     [&] { session.model.DeleteSelectedIgnore(); });
    for (const char* nick : {"bob", "amy", "cy"})
        session.model.IgnoreNick(nick);
    QListView* view = session.window.ignoreView();
    QCOMPARE(view->model()->rowCount(), 3);

    view->setCurrentIndex(view->model()->index(1, 0));
    QTest::keyRelease(view, Qt::Key_Delete);
    QCOMPARE(session.model.Ignores().Entries(), (std::vector<std::string>{"bob", "cy"}));

    view->setCurrentIndex(view->model()->index(0, 0));
    QCOMPARE(texts(session.window.ignoreMenu()->actions()), QStringList{"Delete"});
    session.window.ignoreMenu()->actions().first()->trigger();
    QCOMPARE(session.model.Ignores().Entries(), std::vector<std::string>{"cy"});
    QCOMPARE(view->model()->rowCount(), 1);
}

void SessionWindowTest::inputKeysAndActionAreForwarded()
{
    Session session;
    QLineEdit* input = session.window.inputLine();
    QSignalSpy entered(&session.window, &SessionWindow::inputEntered);
    QSignalSpy up(&session.window, &SessionWindow::historyUp);
    QSignalSpy down(&session.window, &SessionWindow::historyDown);
    QSignalSpy action(&session.window, &SessionWindow::actionClicked);
    input->insert(QString::fromUtf8("grüß <b>"));
    QTest::keyClick(input, Qt::Key_Up);
    QTest::keyClick(input, Qt::Key_Down);
    QTest::keyClick(input, Qt::Key_Down);
    QTest::keyClick(input, Qt::Key_Return);
    QCOMPARE(up.size(), 1);
    QCOMPARE(down.size(), 2);
    QCOMPARE(entered.size(), 1);
    QCOMPARE(entered.at(0).at(0).toString(), QString::fromUtf8("grüß <b>"));
    for (auto* button : session.window.findChildren<QPushButton*>())
        if (button->text() == "Action")
            button->click();
    QCOMPARE(action.at(0).at(0).toString(), QString::fromUtf8("grüß <b>"));
    session.window.setInputText("older line");
    QCOMPARE(input->text(), QString("older line"));
    QCOMPARE(input->cursorPosition(), 10);
}

void SessionWindowTest::rawLogShowsNewestLine()
{
    Session session;
    for (const char* line : {":a 001 me :hi", ":a 002 me :there", "PRIVMSG #c :\x03" "4red\x02"})
        session.model.AppendRaw(line, true);
    QListView* raw = session.window.rawLogView();
    QTRY_COMPARE(raw->model()->rowCount(), 3);
    QCOMPARE(raw->currentIndex().row(), 2);
    // Codes in a raw line show as their pictures, not as empty boxes.
    QCOMPARE(raw->model()->index(2, 0).data().toString(), QString::fromUtf8("PRIVMSG #c :\u24034red\u2402"));
}

void SessionWindowTest::closeCanBeRefused()
{
    Session session;
    session.window.show();
    bool refuse = true;
    QObject::connect(&session.window, &SessionWindow::closeRequested, &session.window,
                     [&](bool* allowed) { *allowed = !refuse; });
    QVERIFY(!session.window.close());
    QVERIFY(session.window.isVisible());
    refuse = false;
    QVERIFY(session.window.close());
    QVERIFY(!session.window.isStatusTimerRunning());
}


QTEST_MAIN(SessionWindowTest)
#include "SessionWindowTest.moc"
