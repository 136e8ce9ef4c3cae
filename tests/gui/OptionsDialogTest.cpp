#include "gui/FolderChooser.h"
#include "gui/OptionsDialog.h"

#include "settings/SettingsTestSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>

using namespace pell;

namespace {

struct Harness {
    test::TempFolder temp;
    settings::AppSettings settings;
    settings::ServerList servers;
    settings::ServerViews views;
    test::RecordingPrompts prompts;
    settings::OptionsModel model{settings, servers, views,
                                 settings::AppSettingsFiles(settings::SettingsFolder(temp.folder())), prompts,
                                 temp.folder()};
    gui::FolderChooser chooser{nullptr, temp.folder()};
    gui::OptionsDialog dialog{nullptr, model, chooser};

    template <typename T> T* find(const char* name) { return dialog.findChild<T*>(name); }
    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    bool exists(const char* file) { return std::filesystem::exists(temp.file(file)); }
};

// With PELL_GUI_SHOTS set, every tab is saved there as a PNG to look at.
void saveShots(QWidget& dialog, QTabWidget& tabs, const QString& prefix)
{
    const QString folder = qEnvironmentVariable("PELL_GUI_SHOTS");
    if (folder.isEmpty())
        return;
    for (int i = 0; i < tabs.count(); ++i) {
        tabs.setCurrentIndex(i);
        dialog.grab().save(folder + "/" + prefix + QString::number(i) + "-" + tabs.tabText(i) + ".png");
    }
    tabs.setCurrentIndex(0);
}

} // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheInitialValues()
    {
        Harness h;
        QCOMPARE(h.dialog.windowTitle(), QString("Options"));
        QCOMPARE(h.dialog.size(), QSize(750, 519));
        QVERIFY(!h.dialog.isModal());
        auto* tabs = h.find<QTabWidget>("tabs");
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            names << tabs->tabText(i);
        QCOMPARE(names, (QStringList{"User", "Serverlist", "Firewall", "Downloadpath", "Downloads", "Misc"}));

        QCOMPARE(h.text("serverPort"), QString("6667"));
        QCOMPARE(h.text("proxyPort"), QString("110"));
        QCOMPARE(h.text("folderExtension"), QString("*.mp3"));
        QCOMPARE(h.text("folderPath"), QString::fromStdString(h.temp.folder()));
        QCOMPARE(h.text("extensionField0"), QString("*.mp3"));
        QCOMPARE(h.text("extensionField1"), QString("*.exe"));
        QCOMPARE(h.text("extensionField2"), QString("*.bat"));
        QCOMPARE(h.text("scriptDelay"), QString("2500"));
        QVERIFY(h.find<QRadioButton>("english")->isChecked());
        QVERIFY(h.find<QCheckBox>("useStandard")->isChecked());
        QVERIFY(!h.find<QWidget>("serverIdentity")->isEnabled());
        for (auto [name, shown] : {std::pair{"proxyType", "svNoSocks"}, std::pair{"downloadMode", "ask for download"}}) {
            auto* box = h.find<QComboBox>(name);
            QCOMPARE(box->currentIndex(), -1);
            QCOMPARE(box->placeholderText(), QString(shown));
        }
        QCOMPARE(h.find<QListWidget>("extensionList2")->count(), 1);
        QCOMPARE(h.find<QTreeWidget>("folderRules")->topLevelItem(0)->text(1), QString("Rootfolder"));
        saveShots(h.dialog, *tabs, "options-");
    }

    void editsReachTheSettingsAtOnce()
    {
        Harness h;
        QTest::keyClicks(h.find<QLineEdit>("proxyHost"), "proxy.lan");
        h.find<QComboBox>("proxyType")->activated(3);
        h.find<QRadioButton>("german")->click();
        QCOMPARE(h.settings.ProxyHost, std::string("proxy.lan"));
        QCOMPARE(h.settings.ProxyType, 3);
        QCOMPARE(h.settings.Language, 1);
    }

    void serverSaveAndDeleteReachTheListAndItsView()
    {
        Harness h;
        QTest::keyClicks(h.find<QLineEdit>("serverName"), "Net");
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

    void enterInAFieldSavesNothing()
    {
        Harness h;
        h.dialog.show();
        h.find<QTabWidget>("tabs")->setCurrentIndex(1); // the server list, Save in view
        auto* name = h.find<QLineEdit>("serverName");
        name->setFocus();
        QTest::keyClicks(name, "Net");
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(h.servers.entryCount(), std::size_t(0));
        QVERIFY(!h.exists("SList.dat"));
    }

    void extensionSaveIgnoresCase()
    {
        Harness h;
        auto* field = h.find<QLineEdit>("extensionField0");
        field->clear();
        QTest::keyClicks(field, "*.MP3");
        h.click("extensionSave0");
        QCOMPARE(h.find<QListWidget>("extensionList0")->count(), 7);
        QTest::keyClicks(field, "X");
        h.click("extensionSave0");
        QCOMPARE(h.find<QListWidget>("extensionList0")->item(7)->text(), QString("*.MP3X"));
    }

    void everyCloseWritesTheFiles()
    {
        Harness h;
        h.dialog.showCentred();
        auto* nick = h.find<QWidget>("user")->findChild<QLineEdit*>("nick");
        QTest::keyClicks(nick, "my nick");
        h.click("close");
        QVERIFY(!h.dialog.isVisible());
        QVERIFY(h.exists("Proxy.ini"));
        QCOMPARE(nick->text(), QString("mynick"));

        std::filesystem::remove(h.temp.file("Proxy.ini"));
        h.dialog.showCentred();
        h.dialog.close(); // the window frame
        QVERIFY(h.exists("Proxy.ini"));
        QVERIFY(h.prompts.errors.empty());
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
