#include "gui/QuickConnectDialog.h"

#include "settings/SettingsTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace pell;

namespace {

struct Harness {
    Harness() { settings.Nick = "global"; }
    settings::AppSettings settings;
    settings::ServerList servers;
    test::RecordingWindows windows;
    test::RecordingPrompts prompts;
    settings::SessionLauncher launcher{servers, windows, prompts};
    settings::QuickConnectModel model{settings, launcher, prompts};
    gui::QuickConnectDialog dialog{nullptr, model};

    QLineEdit* edit(const char* name) { return dialog.findChild<QLineEdit*>(name); }

    // Runs the dialog; `whileOpen` acts on it once it is shown.
    void run(std::function<void()> whileOpen)
    {
        QTimer::singleShot(0, &dialog, [this, whileOpen] {
            if (!qEnvironmentVariableIsEmpty("PELL_GUI_SHOTS"))
                dialog.grab().save(qEnvironmentVariable("PELL_GUI_SHOTS") + "/quick-connect.png");
            whileOpen();
        });
        dialog.run();
    }
};

} // namespace

class QuickConnectDialogTest : public QObject {
    Q_OBJECT
private slots:
    void connectRemovesSpacesAndOpensTheSession()
    {
        Harness h;
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
        QCOMPARE(QString::fromStdString(h.windows.created[0].Nick), QString("oneoff"));
        QCOMPARE(h.windows.created[0].Host, std::string("irc.example"));
        QCOMPARE(h.windows.created[0].Port, 6667);
    }

    void closingByTheFrameStillOpensASessionWithTheGlobalIdentityAgain()
    {
        Harness h;
        h.model.UseStandardSettingsChanged(false);
        h.model.identity.values.Nick = "stale";
        h.run([&] { h.dialog.close(); });
        QCOMPARE(h.windows.created.size(), std::size_t(1));
        QCOMPARE(h.windows.created[0].Nick, std::string("global"));
        QCOMPARE(h.windows.created[0].Host, std::string(""));
    }

    void badPortShowsTheErrorAndOpensNothing()
    {
        Harness h;
        h.run([&] {
            h.edit("port")->clear();
            QTest::keyClicks(h.edit("port"), "66x");
            h.dialog.close();
        });
        QVERIFY(h.windows.created.empty());
        QCOMPARE(h.prompts.errors, (std::vector<std::string>{"'66x' is not a valid integer value"}));
    }
};

QTEST_MAIN(QuickConnectDialogTest)
#include "QuickConnectDialogTest.moc"
