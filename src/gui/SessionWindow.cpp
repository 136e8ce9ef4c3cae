#include "gui/SessionWindow.h"

#include "gui/ChannelBoxModel.h"
#include "gui/RawLogPanel.h"
#include "gui/TextDecoding.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <array>

namespace pell::gui {

namespace {

constexpr std::array<int, 3> PanelWidths{100, 150, 50};
constexpr int StatusTimerMs = 1000;
constexpr int CloseTimerMs = 2000;

QPushButton* addButton(QHBoxLayout* row, std::string_view caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    row->addWidget(button);
    return button;
}

} // namespace

SessionWindow::SessionWindow(const session::ButtonCaptions& captions, QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Channel"));
    resize(893, 533);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    layout->addWidget(buildTopBar(captions));
    pages_ = new SessionTabPages;
    forwardPageSignals();
    layout->addWidget(pages_, 1);
    rawLog_ = new RawLogPanel;
    layout->addWidget(rawLog_);
    layout->addWidget(buildInputBar(captions));
    layout->addWidget(buildStatusBar());

    statusTimer_.setInterval(StatusTimerMs);
    connect(&statusTimer_, &QTimer::timeout, this, &SessionWindow::statusTimerTick);
    statusTimer_.start();
    closeTimer_.setInterval(CloseTimerMs);
    closeTimer_.setSingleShot(true);
    connect(&closeTimer_, &QTimer::timeout, this, &SessionWindow::closeTimerTick);
    connect(&sendTimer_, &QTimer::timeout, this, &SessionWindow::sendTimerTick);
}

SessionWindow::~SessionWindow() = default;

QWidget* SessionWindow::buildTopBar(const session::ButtonCaptions& captions)
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
    channelNames_ = new ChannelBoxModel(channelBox_);
    channelBox_->setModel(channelNames_);
    // A popup that does not measure every one of 200,000 rows before it opens.
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

QWidget* SessionWindow::buildInputBar(const session::ButtonCaptions& captions)
{
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    input_ = new QLineEdit;
    input_->installEventFilter(this);
    connect(input_, &QLineEdit::textEdited, this, &SessionWindow::inputEdited);
    // The window hands the keyboard to the input line when it opens or comes to the front.
    setFocusProxy(input_);
    row->addWidget(input_, 1);
    connect(addButton(row, captions.Action), &QPushButton::clicked, this, &SessionWindow::actionClicked);
    return bar;
}

QWidget* SessionWindow::buildStatusBar()
{
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
    return bar;
}

void SessionWindow::forwardPageSignals()
{
    connect(pages_, &SessionTabPages::tabActivated, this, [this](int index) {
        emit tabActivated(index);
        // What the user types next is meant for the tab just chosen.
        if (input_ && isActiveWindow())
            input_->setFocus();
    });
    connect(pages_, &SessionTabPages::tabCloseRequested, this, &SessionWindow::tabCloseRequested);
    connect(pages_, &SessionTabPages::linkClicked, this, &SessionWindow::linkClicked);
    connect(pages_, &SessionTabPages::nickActionTriggered, this, &SessionWindow::nickActionTriggered);
    connect(pages_, &SessionTabPages::nickDoubleClicked, this, &SessionWindow::nickDoubleClicked);
    connect(pages_, &SessionTabPages::ignoreEntrySelected, this, &SessionWindow::ignoreEntrySelected);
    connect(pages_, &SessionTabPages::ignoreDeleteRequested, this, &SessionWindow::ignoreDeleteRequested);
}

void SessionWindow::attach(session::SessionModel* model)
{
    model_ = model;
    pages_->attach(model);
    rawLog_->attach(model);
    const QString typed = channelBox_->currentText();
    channelNames_->setBox(model ? &model->ChannelBox() : nullptr);
    channelBox_->setEditText(typed);
    if (!model)
        return;
    for (int panel = 0; panel < static_cast<int>(status_.size()); ++panel)
        statusPanelChanged(panel);
}

UniformListView* SessionWindow::rawLogView() const
{
    return rawLog_;
}

void SessionWindow::rawLogAppended()
{
    rawLog_->appended();
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
    // Refilling the list must not change the typed text.
    const QString typed = channelBox_->currentText();
    channelNames_->refill();
    channelBox_->setEditText(typed);
}

void SessionWindow::inputLineChanged(std::string_view text)
{
    const QString shown = DecodeLine(text);
    // An edit of the user's own comes back unchanged: the cursor stays where it is.
    if (shown == input_->text())
        return;
    input_->setText(shown);
    input_->end(false);
}

QString SessionWindow::channelBoxText() const
{
    return channelBox_->currentText();
}

// No name is chosen until the user picks one: "Run" must not send a template nobody chose.
void SessionWindow::setTemplateNames(const std::vector<std::string>& names)
{
    templateBox_->clear();
    for (const auto& name : names)
        templateBox_->addItem(DecodeLine(name));
    templateBox_->setCurrentIndex(-1);
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
        case Qt::Key_Enter: emit inputEntered(); return true;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pell::gui
