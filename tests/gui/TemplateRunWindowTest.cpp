// The template box and "Run" of a session window in the whole program on ngircd. What
// went out is read at a second, plain client on the server.

#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "gui/SessionWindow.h"

#include "gui/GuiFakes.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

using namespace pell;
using namespace pell::test;

namespace {

constexpr int kWaitMs = 10000;
constexpr std::int64_t kOwnColour = 16744576;

// Two templates in store order, "zebra" before "apple": the box sorts them.
const char* const kTemplates = "$$$&New Template$$$$&\r\nzebra\r\nstripes\r\n"
                               "$$$&New Template$$$$&\r\napple\r\none\r\ntwo\r\nthree\r\n";

// The program with one auto-connected session, alice, in #pell beside bob.
struct Program {
    Ngircd server;
    TempFolder home;
    std::unique_ptr<gui::AppShell> shell;
    gui::SessionController* alice = nullptr;
    std::unique_ptr<RawIrcClient> bob;

    Program()
    {
        const std::string port = std::to_string(server.port());
        writeBytes(home.file("SList.dat"), "Net\r\n127.0.0.1\r\n" + port
                                               + "\r\nTrue\r\nalice\r\nalice\r\nalice\r\n\r\nFalse\r\nFalse\r\nFalse\r\nFalse\r\n");
        // Own, others, system and action colours, a 10 ms script delay, English.
        writeBytes(home.file("Color.dat"), std::to_string(kOwnColour) + "\r\n0\r\n32768\r\n255\r\n10\r\n0\r\n");
        writeBytes(home.file("Template.dat"), kTemplates);
        shell = std::make_unique<gui::AppShell>(home.folder());
        shell->start(std::chrono::milliseconds(1));
        alice = shell->sessions().front();
        bob = std::make_unique<RawIrcClient>(server.port(), "bob");
        bob->send("JOIN #pell");
        QTRY_VERIFY_WITH_TIMEOUT(bob->saw(" 366 bob #pell "), kWaitMs);
    }

    gui::SessionWindow* window() const { return alice->window(); }

    // Waits for the registration (the welcome), then joins alice to #pell.
    bool joined()
    {
        const auto welcomed = [&] { return alice->session().Engine().State() == irc::ClientState::Connected; };
        if (!QTest::qWaitFor(welcomed, kWaitMs))
            return false;
        alice->session().Commands().Join("#pell");
        return QTest::qWaitFor([&] { return bob->saw(":alice!"); }, kWaitMs);
    }

    void run()
    {
        for (QPushButton* button : window()->findChildren<QPushButton*>())
            if (button->text() == "Run")
                QTest::mouseClick(button, Qt::LeftButton);
    }

    // The lines alice sent to #pell, in the order bob got them.
    QStringList linesAtBob()
    {
        QStringList lines;
        for (const QString& line : QString::fromStdString(bob->received()).split("\r\n"))
            if (line.startsWith(":alice!") && line.contains(" PRIVMSG #pell :"))
                lines << line.section(" :", 1);
        return lines;
    }
};

} // namespace

class TemplateRunWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { gui::initResources(); }

    // Nothing is chosen until the user picks a name; a chosen name's lines go out in
    // order, each echoed in the own colour. "Run" during a run starts again from the first
    // line; a close request ends the run.
    void runSendsOnlyAChosenTemplateAndACloseStopsIt()
    {
        Program program;
        QVERIFY(program.joined());
        QComboBox* box = program.window()->templateBox();
        QCOMPARE(rowsOf(box->model()), (QStringList{"apple", "zebra"}));
        QCOMPARE(box->currentIndex(), -1);
        program.run();
        QVERIFY(!program.window()->isSendTimerRunning());
        QTest::qWait(100);
        QCOMPARE(program.linesAtBob(), QStringList{});

        box->setCurrentIndex(box->findText("apple"));
        program.run();
        QTRY_COMPARE_WITH_TIMEOUT(program.linesAtBob(), (QStringList{"one", "two", "three"}), kWaitMs);
        for (const char* line : {"one", "two", "three"})
            QCOMPARE(colourOf(program.alice, "#pell", "<alice>:" + std::string(line)), kOwnColour);
        QTRY_VERIFY_WITH_TIMEOUT(!program.window()->isSendTimerRunning(), kWaitMs);
        // A changed store keeps the picked name while it holds it.
        program.window()->setTemplateNames({"apple", "kiwi", "zebra"});
        QCOMPARE(box->currentText(), "apple");

        program.shell->core().settings().ScriptDelay = "400";
        program.run();
        QTRY_COMPARE_WITH_TIMEOUT(program.linesAtBob().size(), 4, kWaitMs);
        program.run();
        QTRY_COMPARE_WITH_TIMEOUT(program.linesAtBob().mid(3), (QStringList{"one", "one", "two"}), kWaitMs);
        // The close asks for a reason, quits and is refused; the run stops with it.
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible())
                    dialog->accept();
        });
        user.start(10);
        QVERIFY(!program.window()->close());
        user.stop();
        QVERIFY(!program.window()->isSendTimerRunning());
        QVERIFY(!program.alice->templateRun().SendTimerRunning());
        QTRY_VERIFY_WITH_TIMEOUT(program.bob->saw(":alice!~alice@127.0.0.1 QUIT"), kWaitMs);
        QCOMPARE(program.linesAtBob().mid(3), (QStringList{"one", "one", "two"}));
        program.window()->setTemplateNames({"kiwi", "zebra"});
        QCOMPARE(box->currentIndex(), -1);
    }
};

QTEST_MAIN(TemplateRunWindowTest)
#include "TemplateRunWindowTest.moc"
