#include "gui/SessionWindow.h"

#include "gui/EntryListModel.h"
#include "gui/NickListModel.h"
#include "gui/TextDecoding.h"
#include "gui/TextView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace pell::gui {

namespace {

constexpr int NickListWidth = 123;
constexpr int RawLogHeight = 29;
constexpr std::array<int, 3> PanelWidths{100, 150, 50};
constexpr int StatusTimerMs = 1000;
constexpr int CloseTimerMs = 2000;
constexpr int RawLogCoalesceMs = 50;

QPushButton* addButton(QHBoxLayout* row, const QString& caption)
{
    auto* button = new QPushButton(caption);
    row->addWidget(button);
    return button;
}

QByteArray toBytes(const std::string& entry)
{
    return QByteArray(entry.data(), static_cast<qsizetype>(entry.size()));
}

} // namespace

SessionWindow::SessionWindow(const SessionCaptions& captions, QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Channel"));
    resize(893, 533);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(buildTopBar(captions));

    tabs_ = new QTabWidget;
    tabs_->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0)
            emit tabActivated(index);
        // What the user types next is meant for the tab just chosen.
        if (input_ && isActiveWindow())
            input_->setFocus();
    });
    layout->addWidget(tabs_, 1);

    rawModel_ = new EntryListModel(nullptr, this);
    rawView_ = new UniformListView;
    rawView_->setModel(rawModel_);
    rawView_->setFixedHeight(RawLogHeight);
    layout->addWidget(rawView_);
    rawFlush_.setSingleShot(true);
    connect(&rawFlush_, &QTimer::timeout, this, &SessionWindow::flushRawLog);

    layout->addWidget(buildInputBar(captions));

    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    for (const int width : PanelWidths) {
        auto* panel = new QLabel;
        // Panels show channel names and nicks from the server: never as markup.
        panel->setTextFormat(Qt::PlainText);
        panel->setFixedWidth(width);
        bar->addWidget(panel);
        status_.push_back(panel);
    }
    layout->addWidget(bar);

    ignoreModel_ = new EntryListModel(nullptr, this);
    buildMenus();

    statusTimer_.setInterval(StatusTimerMs);
    connect(&statusTimer_, &QTimer::timeout, this, &SessionWindow::statusTimerTick);
    statusTimer_.start();
    closeTimer_.setInterval(CloseTimerMs);
    closeTimer_.setSingleShot(true);
    connect(&closeTimer_, &QTimer::timeout, this, &SessionWindow::closeTimerTick);
    connect(&sendTimer_, &QTimer::timeout, this, &SessionWindow::sendTimerTick);
}

SessionWindow::~SessionWindow() = default;

QWidget* SessionWindow::buildTopBar(const SessionCaptions& captions)
{
    auto* bar = new QWidget;
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);

    auto* first = new QHBoxLayout;
    channelBox_ = new QComboBox;
    channelBox_->setEditable(true);
    channelBox_->setInsertPolicy(QComboBox::NoInsert);
    channelBox_->setMinimumWidth(160);
    // A network may list 200,000 channels: one list model, and a popup that does not
    // measure every row before it opens.
    channelNames_ = new QStringListModel(channelBox_);
    channelBox_->setModel(channelNames_);
    if (auto* popup = qobject_cast<QListView*>(channelBox_->view()))
        popup->setUniformItemSizes(true);
    channelBox_->setEditText(QStringLiteral("#"));
    first->addWidget(channelBox_);
    connect(addButton(first, captions.Join), &QPushButton::clicked, this,
            [this] { emit joinClicked(channelBoxText()); });
    connect(addButton(first, captions.Leave), &QPushButton::clicked, this, &SessionWindow::leaveClicked);
    connect(addButton(first, captions.ChangeNick), &QPushButton::clicked, this, &SessionWindow::changeNickClicked);
    connect(addButton(first, captions.ShowChannels), &QPushButton::clicked, this,
            &SessionWindow::showChannelsClicked);
    away_ = new QCheckBox(QStringLiteral("Away"));
    connect(away_, &QCheckBox::toggled, this, &SessionWindow::awayToggled);
    first->addWidget(away_);
    first->addStretch(1);
    rows->addLayout(first);

    auto* second = new QHBoxLayout;
    templateBox_ = new QComboBox;
    templateBox_->setMinimumWidth(160);
    second->addWidget(templateBox_);
    connect(addButton(second, captions.Run), &QPushButton::clicked, this,
            [this] { emit runClicked(templateBox_->currentIndex()); });
    connect(addButton(second, captions.Userlist), &QPushButton::clicked, this, &SessionWindow::userlistClicked);
    connect(addButton(second, captions.Clear), &QPushButton::clicked, this, &SessionWindow::clearClicked);
    connect(addButton(second, captions.Reconnect), &QPushButton::clicked, this, &SessionWindow::reconnectClicked);
    connect(addButton(second, captions.Close), &QPushButton::clicked, this, &SessionWindow::closeClicked);
    connect(addButton(second, captions.Save), &QPushButton::clicked, this, &SessionWindow::saveClicked);
    second->addStretch(1);
    rows->addLayout(second);
    return bar;
}

QWidget* SessionWindow::buildInputBar(const SessionCaptions& captions)
{
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    input_ = new QLineEdit;
    input_->installEventFilter(this);
    // The window hands the keyboard to the input line when it opens or comes to the front.
    setFocusProxy(input_);
    row->addWidget(input_, 1);
    connect(addButton(row, captions.Action), &QPushButton::clicked, this,
            [this] { emit actionClicked(input_->text()); });
    return bar;
}

void SessionWindow::buildMenus()
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
    connect(tabs_->tabBar(), &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { tabMenu_->popup(tabs_->tabBar()->mapToGlobal(at)); });

    ignoreMenu_ = new QMenu(this);
    connect(ignoreMenu_->addAction(QStringLiteral("Delete")), &QAction::triggered, this,
            &SessionWindow::ignoreDeleteRequested);
}

void SessionWindow::attach(session::SessionModel* model)
{
    for (auto& [id, page] : pages_) {
        if (page.Text)
            page.Text->setLines(nullptr);
        if (page.Nicks)
            page.Nicks->setEntries(nullptr);
    }
    {
        const QSignalBlocker block(tabs_);
        while (tabs_->count() > 0)
            tabs_->removeTab(0);
    }
    for (auto& [id, page] : pages_)
        page.Widget->deleteLater();
    pages_.clear();
    ignoreView_ = nullptr;
    model_ = model;
    ignoreModel_->setEntries(model ? &model->Ignores().Entries() : nullptr);
    if (model) {
        const session::StringList* raw = &model->Raw().Entries();
        rawModel_->setRows([raw] { return static_cast<int>(raw->size()); },
                           [raw](int row) { return (*raw)[static_cast<std::size_t>(row)]; });
    } else {
        rawModel_->setRows({}, {});
    }
    if (!model)
        return;
    tabsChanged();
    syncIgnoreSelection();
    for (int panel = 0; panel < static_cast<int>(status_.size()); ++panel)
        statusPanelChanged(panel);
}

SessionWindow::Page SessionWindow::makeTextPage(const session::SessionTab& tab)
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
    page.Nicks = new NickListModel(*tab.Nicks, page.NickView);
    page.NickView->setModel(page.Nicks);
    NickListModel* nicks = page.Nicks;
    QListView* view = page.NickView;
    connect(view, &QListView::doubleClicked, this, [this, nicks](const QModelIndex& index) {
        emit nickDoubleClicked(toBytes(nicks->entry(index.row())));
    });
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](QPoint at) { nickMenu_->popup(view->viewport()->mapToGlobal(at)); });
    row->addWidget(view);
    return page;
}

QWidget* SessionWindow::makeIgnorePage()
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

void SessionWindow::tabsChanged()
{
    if (!model_)
        return;
    const QSignalBlocker block(tabs_);
    auto& tabs = model_->Tabs();
    for (auto it = pages_.begin(); it != pages_.end();) {
        if (tabs.IndexOfId(it->first) >= 0) {
            ++it;
            continue;
        }
        Page& page = it->second;
        // The model has already destroyed the tab's lines: let go of them first.
        if (page.Text)
            page.Text->setLines(nullptr);
        if (page.Nicks)
            page.Nicks->setEntries(nullptr);
        tabs_->removeTab(tabs_->indexOf(page.Widget));
        page.Widget->deleteLater();
        if (page.Widget == ignoreView_)
            ignoreView_ = nullptr;
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
        const QString caption = EscapeMnemonic(DecodeLine(tab.Caption));
        const int at = tabs_->indexOf(widget);
        if (at < 0) {
            tabs_->insertTab(i, widget, caption);
        } else {
            if (at != i)
                tabs_->tabBar()->moveTab(at, i);
            tabs_->setTabText(i, caption);
        }
    }
    tabs_->setCurrentIndex(tabs.ActiveIndex());
}

void SessionWindow::activeTabChanged()
{
    if (!model_)
        return;
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(model_->Tabs().ActiveIndex());
}

void SessionWindow::lineAppended(session::TabId tab, const session::FormattedLine&)
{
    if (!pages_.contains(tab))
        tabsChanged();
    if (const auto found = pages_.find(tab); found != pages_.end() && found->second.Text)
        found->second.Text->linesAppended();
}

void SessionWindow::textCleared(session::TabId tab)
{
    if (const auto found = pages_.find(tab); found != pages_.end() && found->second.Text)
        found->second.Text->linesCleared();
}

void SessionWindow::nickListChanged(session::TabId tab)
{
    if (const auto found = pages_.find(tab); found != pages_.end() && found->second.Nicks)
        found->second.Nicks->refill();
}

void SessionWindow::ignoreListChanged()
{
    ignoreModel_->refill();
    syncIgnoreSelection();
}

void SessionWindow::syncIgnoreSelection()
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

void SessionWindow::rawLogAppended()
{
    // A burst of server lines lands in the list in one go, redrawn at most every 50 ms.
    if (!rawFlush_.isActive())
        rawFlush_.start(RawLogCoalesceMs);
}

void SessionWindow::flushRawLog()
{
    rawModel_->appended();
    if (!model_)
        return;
    const int selected = model_->Raw().Selected();
    if (selected >= 0 && selected < rawModel_->rowCount()) {
        rawView_->setCurrentIndex(rawModel_->index(selected));
        rawView_->scrollTo(rawModel_->index(selected));
    }
}

void SessionWindow::statusPanelChanged(int panel)
{
    if (model_ && panel >= 0 && panel < static_cast<int>(status_.size()))
        status_[static_cast<std::size_t>(panel)]->setText(DecodeLine(model_->StatusPanel(panel)));
}

void SessionWindow::captionChanged()
{
    if (model_)
        setWindowTitle(DecodeLine(model_->Caption()));
}

void SessionWindow::channelBoxChanged()
{
    if (!model_)
        return;
    // Names are only ever added, and the box keeps its own order: by the shown text
    // without regard to case, a newer name after older equal ones, no shown text twice.
    // Sorting the new names alone and merging them in gives the order that inserting
    // them one by one would, without the cost per name.
    const auto byText = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    const QStringList shown = channelNames_->stringList();
    const auto& items = model_->ChannelBox().Items();
    QStringList fresh;
    for (const std::size_t at : model_->ChannelBox().LastAdded())
        fresh.push_back(DecodeLine(items[at]));
    // The model's order is nearly always this one already (it differs for some non-ASCII
    // letters only), and checking costs far less than sorting.
    if (!std::is_sorted(fresh.begin(), fresh.end(), byText))
        std::stable_sort(fresh.begin(), fresh.end(), byText);
    // Merge, old names first among equal ones. A text shown already would stand in the
    // run of equal ones at the end: keep only the first.
    QStringList merged;
    merged.reserve(shown.size() + fresh.size());
    qsizetype run = 0;
    const auto push = [&](const QString& name) {
        if (merged.isEmpty() || byText(merged.back(), name))
            run = merged.size();
        else if (std::find(merged.cbegin() + run, merged.cend(), name) != merged.cend())
            return;
        merged.push_back(name);
    };
    auto old = shown.cbegin();
    for (const QString& name : fresh) {
        for (; old != shown.cend() && !byText(name, *old); ++old)
            push(*old);
        push(name);
    }
    for (; old != shown.cend(); ++old)
        merged.push_back(*old);
    if (merged.size() == shown.size())
        return;
    // Refilling must not change the typed text.
    const QString typed = channelBox_->currentText();
    channelNames_->setStringList(merged);
    channelBox_->setEditText(typed);
}

void SessionWindow::setInputText(std::string_view text)
{
    input_->setText(DecodeLine(text));
    input_->end(false);
}

QString SessionWindow::inputText() const
{
    return input_->text();
}

QString SessionWindow::channelBoxText() const
{
    return channelBox_->currentText();
}

void SessionWindow::setTemplateNames(const std::vector<std::string>& names)
{
    templateBox_->clear();
    for (const auto& name : names)
        templateBox_->addItem(DecodeLine(name));
}

void SessionWindow::setStatusTimerRunning(bool running)
{
    if (!running)
        statusTimer_.stop();
    else if (!statusTimer_.isActive())
        statusTimer_.start();
}

void SessionWindow::setCloseTimerRunning(bool running)
{
    if (running)
        closeTimer_.start();
    else
        closeTimer_.stop();
}

void SessionWindow::setSendTimer(bool running, int intervalMs)
{
    if (running)
        sendTimer_.start(intervalMs);
    else
        sendTimer_.stop();
}

TextView* SessionWindow::textViewOf(session::TabId tab) const
{
    const auto found = pages_.find(tab);
    return found == pages_.end() ? nullptr : found->second.Text;
}

QListView* SessionWindow::nickViewOf(session::TabId tab) const
{
    const auto found = pages_.find(tab);
    return found == pages_.end() ? nullptr : found->second.NickView;
}

void SessionWindow::triggerNickAction(NickAction action)
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
    emit nickActionTriggered(action, toBytes(found->second.Nicks->entry(rows.first().row())));
}

void SessionWindow::closeEvent(QCloseEvent* event)
{
    bool allowed = true;
    emit closeRequested(&allowed);
    if (!allowed) {
        event->ignore();
        return;
    }
    statusTimer_.stop();
    closeTimer_.stop();
    sendTimer_.stop();
    event->accept();
}

bool SessionWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == input_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up: emit historyUp(); return true;
        case Qt::Key_Down: emit historyDown(); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: emit inputEntered(input_->text()); return true;
        default: break;
        }
    }
    if (watched == ignoreView_ && event->type() == QEvent::KeyRelease
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
        emit ignoreDeleteRequested();
    return QWidget::eventFilter(watched, event);
}

} // namespace pell::gui
