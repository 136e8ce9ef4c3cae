#include "gui/SessionTabPages.h"

#include "gui/EntryListModel.h"
#include "gui/NickListModel.h"
#include "gui/TextDecoding.h"
#include "gui/TextView.h"

#include <QColor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QSignalBlocker>
#include <QTabBar>

namespace pell::gui {

namespace {

constexpr int NickListWidth = 123;
const QColor NewLinesColour(0, 0, 200);
const QColor MentionColour(210, 0, 0);

QByteArray entryBytes(const std::string& entry)
{
    return QByteArray(entry.data(), static_cast<qsizetype>(entry.size()));
}

} // namespace

SessionTabPages::SessionTabPages(QWidget* parent) : QTabWidget(parent)
{
    tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0)
            emit tabActivated(index);
    });
    ignoreModel_ = new EntryListModel(nullptr, this);
    buildMenus();
}

SessionTabPages::~SessionTabPages() = default;

void SessionTabPages::buildMenus()
{
    nickMenu_ = new QMenu(this);
    const auto item = [this](QMenu* menu, const char* caption, NickAction action) {
        QAction* added = menu->addAction(QString::fromLatin1(caption));
        connect(added, &QAction::triggered, this, [this, action] { triggerNickAction(action); });
        return added;
    };
    item(nickMenu_, "Invite", NickAction::Invite);
    QMenu* dcc = nickMenu_->addMenu(QStringLiteral("DCC"));
    item(dcc, "Send file to", NickAction::SendFile);
    // Direct chats come with their own windows.
    item(dcc, "Chat", NickAction::Chat);
    QMenu* misc = nickMenu_->addMenu(QStringLiteral("Misc"));
    item(misc, "Voice", NickAction::Voice);
    item(misc, "DeVoice", NickAction::DeVoice);
    item(misc, "Op", NickAction::Op);
    item(misc, "DeOp", NickAction::DeOp);
    item(nickMenu_, "Ignore", NickAction::Ignore);
    item(nickMenu_, "Ban", NickAction::Ban);
    item(nickMenu_, "Kick", NickAction::Kick);
    item(nickMenu_, "Info", NickAction::Info);
    item(nickMenu_, "Unignore", NickAction::Unignore);

    tabMenu_ = new QMenu(this);
    connect(tabMenu_->addAction(QStringLiteral("Close")), &QAction::triggered, this, [this] {
        if (model_)
            emit tabCloseRequested(model_->Tabs().Active().Id);
    });
    connect(tabBar(), &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { tabMenu_->popup(tabBar()->mapToGlobal(at)); });

    ignoreMenu_ = new QMenu(this);
    connect(ignoreMenu_->addAction(QStringLiteral("Delete")), &QAction::triggered, this,
            &SessionTabPages::ignoreDeleteRequested);
}

void SessionTabPages::attach(session::SessionModel* model)
{
    for (auto& [id, page] : pages_) {
        if (page.Text)
            page.Text->setLines(nullptr);
        if (page.Nicks)
            page.Nicks->setEntries(nullptr);
    }
    {
        const QSignalBlocker block(this);
        while (count() > 0)
            removeTab(0);
    }
    for (auto& [id, page] : pages_)
        page.Widget->deleteLater();
    pages_.clear();
    ignoreView_ = nullptr;
    model_ = model;
    ignoreModel_->setEntries(model ? &model->Ignores().Entries() : nullptr);
    if (!model)
        return;
    tabsChanged();
    syncIgnoreSelection();
}

SessionTabPages::Page SessionTabPages::makeTextPage(const session::SessionTab& tab)
{
    Page page;
    page.Widget = new QWidget;
    auto* row = new QHBoxLayout(page.Widget);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    page.Text = new TextView;
    page.Text->setLines(tab.Text.get());
    connect(page.Text, &TextView::linkActivated, this,
            [this](const QUrl& url) { emit linkClicked(url.toString(QUrl::FullyEncoded)); });
    row->addWidget(page.Text, 1);

    page.NickView = new QListView;
    page.NickView->setFixedWidth(NickListWidth);
    page.NickView->setUniformItemSizes(true);
    page.NickView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    page.NickView->setSelectionMode(QAbstractItemView::SingleSelection);
    page.NickView->setContextMenuPolicy(Qt::CustomContextMenu);
    page.Nicks = new NickListModel(*tab.Nicks, page.NickView, model_ ? &model_->Members() : nullptr);
    page.NickView->setModel(page.Nicks);
    NickListModel* nicks = page.Nicks;
    QListView* view = page.NickView;
    connect(view, &QListView::doubleClicked, this, [this, nicks](const QModelIndex& index) {
        emit nickDoubleClicked(entryBytes(nicks->entry(index.row())));
    });
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](QPoint at) { nickMenu_->popup(view->viewport()->mapToGlobal(at)); });
    row->addWidget(view);
    return page;
}

QWidget* SessionTabPages::makeIgnorePage()
{
    ignoreView_ = new QListView;
    ignoreView_->setModel(ignoreModel_);
    ignoreView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ignoreView_->setSelectionMode(QAbstractItemView::SingleSelection);
    ignoreView_->setContextMenuPolicy(Qt::CustomContextMenu);
    ignoreView_->installEventFilter(this);
    connect(ignoreView_, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { ignoreMenu_->popup(ignoreView_->viewport()->mapToGlobal(at)); });
    connect(ignoreView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const auto rows = ignoreView_->selectionModel()->selectedRows();
        emit ignoreEntrySelected(rows.isEmpty() ? -1 : rows.first().row());
    });
    return ignoreView_;
}

// The model has already destroyed the tab's lines: the page lets go of them first.
void SessionTabPages::dropPage(Page& page)
{
    if (page.Text)
        page.Text->setLines(nullptr);
    if (page.Nicks)
        page.Nicks->setEntries(nullptr);
    removeTab(indexOf(page.Widget));
    page.Widget->deleteLater();
    if (page.Widget == ignoreView_)
        ignoreView_ = nullptr;
}

void SessionTabPages::tabsChanged()
{
    if (!model_)
        return;
    const QSignalBlocker block(this);
    auto& tabs = model_->Tabs();
    for (auto it = pages_.begin(); it != pages_.end();) {
        if (tabs.IndexOfId(it->first) >= 0) {
            ++it;
            continue;
        }
        dropPage(it->second);
        it = pages_.erase(it);
    }
    for (int i = 0; i < tabs.Count(); ++i) {
        const session::SessionTab& tab = tabs.At(i);
        auto found = pages_.find(tab.Id);
        if (found == pages_.end()) {
            Page page = tab.IsText() ? makeTextPage(tab) : Page{makeIgnorePage()};
            found = pages_.emplace(tab.Id, page).first;
        }
        QWidget* widget = found->second.Widget;
        // A channel the user is no longer in keeps its tab, in brackets and greyed.
        const bool left = model_->IsLeftChannel(tab.Caption);
        const QString name = EscapeMnemonic(ShownText(tab.Caption));
        const QString caption = left ? QStringLiteral("(%1)").arg(name) : name;
        const int at = indexOf(widget);
        if (at < 0) {
            insertTab(i, widget, caption);
        } else {
            if (at != i)
                tabBar()->moveTab(at, i);
            setTabText(i, caption);
        }
        tabBar()->setTabTextColor(i, left ? palette().color(QPalette::Disabled, QPalette::WindowText) : QColor());
    }
    setCurrentIndex(tabs.ActiveIndex());
    showActivity();
}

void SessionTabPages::activeTabChanged()
{
    if (!model_)
        return;
    const QSignalBlocker block(this);
    setCurrentIndex(model_->Tabs().ActiveIndex());
    showActivity();
}

// What a tab holds unseen shows in its caption's colour: blue for new lines, red for a
// mention.
void SessionTabPages::showActivity()
{
    const session::SessionTabs& tabs = model_->Tabs();
    for (int i = 0; i < tabs.Count() && i < count(); ++i) {
        switch (tabs.At(i).Activity) {
        case session::TabActivity::None: tabBar()->setTabTextColor(i, QColor()); break;
        case session::TabActivity::NewLines: tabBar()->setTabTextColor(i, NewLinesColour); break;
        case session::TabActivity::Mention: tabBar()->setTabTextColor(i, MentionColour); break;
        }
    }
}

void SessionTabPages::lineAppended(session::TabId tab)
{
    if (!pages_.contains(tab))
        tabsChanged();
    if (const auto found = pages_.find(tab); found != pages_.end() && found->second.Text)
        found->second.Text->linesAppended();
}

void SessionTabPages::textCleared(session::TabId tab)
{
    if (const auto found = pages_.find(tab); found != pages_.end() && found->second.Text)
        found->second.Text->linesCleared();
}

void SessionTabPages::nickListChanged(session::TabId tab)
{
    if (const auto found = pages_.find(tab); found != pages_.end() && found->second.Nicks)
        found->second.Nicks->refill();
}

void SessionTabPages::ignoreListChanged()
{
    ignoreModel_->refill();
    syncIgnoreSelection();
}

void SessionTabPages::syncIgnoreSelection()
{
    if (!ignoreView_ || !model_)
        return;
    const QSignalBlocker block(ignoreView_->selectionModel());
    const int selected = model_->Ignores().Selected();
    if (selected >= 0 && selected < ignoreModel_->rowCount())
        ignoreView_->setCurrentIndex(ignoreModel_->index(selected));
    else
        ignoreView_->clearSelection();
}

TextView* SessionTabPages::textViewOf(session::TabId tab) const
{
    const auto found = pages_.find(tab);
    return found == pages_.end() ? nullptr : found->second.Text;
}

QListView* SessionTabPages::nickViewOf(session::TabId tab) const
{
    const auto found = pages_.find(tab);
    return found == pages_.end() ? nullptr : found->second.NickView;
}

void SessionTabPages::triggerNickAction(NickAction action)
{
    if (!model_)
        return;
    const auto found = pages_.find(model_->Tabs().Active().Id);
    if (found == pages_.end() || !found->second.NickView)
        return;
    const auto rows = found->second.NickView->selectionModel()->selectedRows();
    // Every nick-list item does nothing without a selected entry.
    if (rows.isEmpty())
        return;
    emit nickActionTriggered(action, entryBytes(found->second.Nicks->entry(rows.first().row())));
}

bool SessionTabPages::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ignoreView_ && event->type() == QEvent::KeyRelease
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
        emit ignoreDeleteRequested();
    return QTabWidget::eventFilter(watched, event);
}

} // namespace pell::gui
