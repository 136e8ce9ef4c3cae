#include "gui/FolderChooser.h"

#include "settings/SettingsTestSupport.h"

#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>

using namespace pell;
namespace fs = std::filesystem;

namespace {

QStringList childNames(QTreeWidgetItem* item)
{
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i)
        names << item->child(i)->text(0);
    return names;
}

} // namespace

class FolderChooserTest : public QObject {
    Q_OBJECT
private slots:
    void opensAtTheStartFolderAndListsFoldersOnly()
    {
        test::TempFolder temp;
        fs::create_directory(temp.path() / "music");
        test::writeBytes(temp.file("file.txt"), "x");
        gui::FolderChooser chooser(nullptr, temp.folder());
        QCOMPARE(chooser.windowTitle(), QString("Folder"));
        QCOMPARE(chooser.size(), QSize(242, 425));
        QCOMPARE(chooser.selectedPath(), temp.path().string());
        auto* tree = chooser.findChild<QTreeWidget*>();
        tree->currentItem()->setExpanded(true);
        QCOMPARE(childNames(tree->currentItem()), QStringList{"music"});
        QVERIFY(!chooser.selectPath(temp.file("file.txt")));
    }

    void f5AndChangesOnDiskRereadTheNode()
    {
        test::TempFolder temp;
        gui::FolderChooser chooser(nullptr, temp.folder());
        auto* tree = chooser.findChild<QTreeWidget*>();
        QTreeWidgetItem* node = tree->currentItem();
        node->setExpanded(true);
        fs::create_directory(temp.path() / "new");
        QTest::keyClick(tree, Qt::Key_F5);
        node = tree->currentItem();
        QCOMPARE(childNames(node), QStringList{"new"});

        fs::create_directory(temp.path() / "later");
        QTRY_COMPARE(childNames(tree->currentItem()), (QStringList{"later", "new"}));
    }

    void closingByTheFrameHandsOverTheSelection()
    {
        test::TempFolder temp;
        fs::create_directory(temp.path() / "pics");
        gui::FolderChooser chooser(nullptr, "/");
        QVERIFY(chooser.selectPath(temp.file("pics")));
        QTimer::singleShot(10, &chooser, [&] {
            if (!qEnvironmentVariableIsEmpty("PELL_GUI_SHOTS"))
                chooser.grab().save(qEnvironmentVariable("PELL_GUI_SHOTS") + "/folder-chooser.png");
            chooser.close();
        });
        QCOMPARE(chooser.choose(), temp.file("pics"));
    }
};

QTEST_MAIN(FolderChooserTest)
#include "FolderChooserTest.moc"
