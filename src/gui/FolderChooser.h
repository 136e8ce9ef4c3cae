#pragma once

#include <QDialog>
#include <QHash>

#include <string>

class QFileSystemWatcher;
class QTreeWidget;
class QTreeWidgetItem;

namespace pell::gui {

// The "Folder" dialog: a tree of folders only, from the file system root, opened at
// the user's home folder. Subfolders are read when a node is first expanded; F5
// re-reads the selected node and a change on disk re-reads the node it concerns.
class FolderChooser : public QDialog {
    Q_OBJECT
public:
    // start: the folder selected at first (the user's home).
    explicit FolderChooser(QWidget* parent, const std::string& start);

    // Shows the dialog modally and returns the selected folder, however it was closed.
    std::string choose();
    // The full path of the selected folder; empty when nothing is selected.
    std::string selectedPath() const;
    // Selects the folder, opening the tree down to it; false when it is not there.
    bool selectPath(const std::string& path);
    // Re-reads the subfolders of the selected folder.
    void refreshSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& path, const QString& name);
    void populate(QTreeWidgetItem* item);
    void refresh(QTreeWidgetItem* item);
    void forget(QTreeWidgetItem* item);
    void folderChanged(const QString& path);

    QTreeWidget* tree_;
    QFileSystemWatcher* watcher_;
    QHash<QString, QTreeWidgetItem*> nodes_;
};

} // namespace pell::gui
