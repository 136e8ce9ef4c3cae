#include "gui/FolderChooser.h"

#include "gui/Captions.h"

#include "gui/DialogPlacement.h"
#include "settings/FolderListing.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QPushButton>
#include <QKeyEvent>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace pell::gui {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int PopulatedRole = Qt::UserRole + 1;

QString pathOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, PathRole).toString() : QString();
}

} // namespace

FolderChooser::FolderChooser(QWidget* parent, const std::string& start)
    : QDialog(parent), tree_(new QTreeWidget), watcher_(new QFileSystemWatcher(this))
{
    setWindowTitle("Folder");
    tagCaption(this, app::Caption::FolderChooserWindow);
    resize(242, 425);

    tree_->setObjectName("folders");
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* ok = new QPushButton("OK");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tree_);
    layout->addWidget(ok);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(tree_, &QTreeWidget::itemExpanded, this, &FolderChooser::populate);
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = tree_->itemAt(at))
            tree_->setCurrentItem(item);
    });
    tree_->installEventFilter(this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderChooser::folderChanged);

    addNode(nullptr, "/", "/");
    selectPath(start);
}

bool FolderChooser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tree_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F5) {
        refreshSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::string FolderChooser::choose()
{
    centreOnParent(*this);
    // Once the tree has its size, bring the selected folder into view.
    QTimer::singleShot(0, this, [this] {
        if (QTreeWidgetItem* item = tree_->currentItem())
            tree_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    });
    exec();
    return selectedPath();
}

std::string FolderChooser::selectedPath() const
{
    return pathOf(tree_->currentItem()).toStdString();
}

QTreeWidgetItem* FolderChooser::addNode(QTreeWidgetItem* parent, const QString& path, const QString& name)
{
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setData(0, PathRole, path);
    QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    item->setIcon(0, icon.isNull() ? style()->standardIcon(QStyle::SP_DirIcon) : icon);
    const bool children = settings::hasSubfolders(path.toStdString());
    item->setChildIndicatorPolicy(children ? QTreeWidgetItem::ShowIndicator
                                           : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (parent)
        parent->addChild(item);
    else
        tree_->addTopLevelItem(item);
    nodes_.insert(path, item);
    return item;
}

void FolderChooser::populate(QTreeWidgetItem* item)
{
    if (item->data(0, PopulatedRole).toBool())
        return;
    item->setData(0, PopulatedRole, true);
    const std::string folder = pathOf(item).toStdString();
    for (const std::string& name : settings::subfolderNames(folder))
        addNode(item, QString::fromStdString(settings::childFolder(folder, name)), QString::fromStdString(name));
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    watcher_->addPath(pathOf(item));
}

bool FolderChooser::selectPath(const std::string& path)
{
    QTreeWidgetItem* item = tree_->topLevelItem(0);
    std::string walked = "/";
    for (const QString& part : QString::fromStdString(path).split('/', Qt::SkipEmptyParts)) {
        populate(item);
        walked = settings::childFolder(walked, part.toStdString());
        item = nodes_.value(QString::fromStdString(walked));
        if (!item)
            return false;
        item->parent()->setExpanded(true);
    }
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
    return true;
}

void FolderChooser::refreshSelected()
{
    if (QTreeWidgetItem* item = tree_->currentItem())
        refresh(item);
}

// Drops the node's children and reads them again; open subfolders and the selection
// are restored where they still exist.
void FolderChooser::refresh(QTreeWidgetItem* item)
{
    QStringList expanded;
    std::function<void(QTreeWidgetItem*)> collect = [&](QTreeWidgetItem* node) {
        for (int i = 0; i < node->childCount(); ++i) {
            if (node->child(i)->isExpanded()) {
                expanded << pathOf(node->child(i));
                collect(node->child(i));
            }
        }
    };
    collect(item);
    const std::string selected = selectedPath();
    const bool wasExpanded = item->isExpanded();

    while (item->childCount() > 0) {
        QTreeWidgetItem* child = item->child(0);
        forget(child);
        delete item->takeChild(0);
    }
    if (item->data(0, PopulatedRole).toBool())
        watcher_->removePath(pathOf(item));
    item->setData(0, PopulatedRole, false);
    if (wasExpanded)
        populate(item);
    else
        item->setChildIndicatorPolicy(settings::hasSubfolders(pathOf(item).toStdString())
                                          ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    for (const QString& path : expanded)
        if (QTreeWidgetItem* node = nodes_.value(path))
            node->setExpanded(true);
    if (!nodes_.contains(QString::fromStdString(selected)))
        tree_->setCurrentItem(item);
    else
        tree_->setCurrentItem(nodes_.value(QString::fromStdString(selected)));
}

void FolderChooser::forget(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
    const QString path = pathOf(item);
    nodes_.remove(path);
    if (item->data(0, PopulatedRole).toBool())
        watcher_->removePath(path);
}

void FolderChooser::folderChanged(const QString& path)
{
    if (QTreeWidgetItem* item = nodes_.value(path))
        refresh(item);
}

} // namespace pell::gui
