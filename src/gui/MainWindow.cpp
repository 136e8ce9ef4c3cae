#include "gui/MainWindow.h"

#include "app/Uptime.h"
#include "gui/AddressListModel.h"
#include "gui/Captions.h"
#include "gui/TextDecoding.h"
#include "gui/QtDesktop.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <ctime>

namespace pell::gui {

MainWindow::MainWindow(app::AppCore& core, platform::Desktop& desktop, QWidget* parent)
    : QMainWindow(parent), core_(core), desktop_(desktop)
{
    setWindowTitle(QStringLiteral("Pell-IRC"));
    resize(866, 592);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    sessions_ = new QMdiArea(central);
    addresses_ = new UniformListView(central);
    addresses_->setFixedHeight(71);
    addressModel_ = new AddressListModel(core_.shared().Addresses, addresses_);
    addresses_->setModel(addressModel_);
    layout->addWidget(sessions_, 1);
    layout->addWidget(addresses_);
    setCentralWidget(central);

    buildMenus();
    buildStatusBar();

    // Other windows may listen to the same model events: keep what they installed.
    auto& views = core_.serverViews();
    views.OnRebuilt = [this, previous = views.OnRebuilt] {
        if (previous)
            previous();
        rebuildServerMenu();
    };
    auto& list = core_.shared().Addresses;
    list.OnChanged = [this, previous = list.OnChanged] {
        if (previous)
            previous();
        addressModel_->addressAdded();
    };
    connect(addresses_, &QAbstractItemView::clicked, this, &MainWindow::addressClicked);
    rebuildServerMenu();
}

void MainWindow::buildMenus()
{
    using app::Caption;
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    tagCaption(fileMenu_, Caption::FileMenu);
    tagCaption(fileMenu_->addAction(QStringLiteral("Quick connect"), this, &MainWindow::quickConnectRequested),
               Caption::QuickConnectItem);
    fileMenu_->addSeparator();
    exit_ = fileMenu_->addAction(QStringLiteral("Exit"), this, &QWidget::close);
    tagCaption(exit_, Caption::ExitItem);

    serverMenu_ = menuBar()->addMenu(QStringLiteral("&Server"));
    tagCaption(serverMenu_, Caption::ServerMenu);

    optionsMenu_ = menuBar()->addMenu(QStringLiteral("&Options"));
    tagCaption(optionsMenu_, Caption::OptionsMenu);
    tagCaption(optionsMenu_->addAction(QStringLiteral("Options"), this, &MainWindow::optionsRequested),
               Caption::OptionsMenu);
    optionsMenu_->addSeparator();
    onTop_ = optionsMenu_->addAction(QStringLiteral("On Top"));
    onTop_->setCheckable(true);
    tagCaption(onTop_, Caption::OnTopItem);
    connect(onTop_, &QAction::triggered, this, &MainWindow::toggleOnTop);

    toolsMenu_ = menuBar()->addMenu(QStringLiteral("&Tools"));
    tagCaption(toolsMenu_, Caption::ToolsMenu);
    tagCaption(toolsMenu_->addAction(QStringLiteral("Open download folder"), this,
                                     [this] { QtDesktop::openFolder(core_.programFolder()); }),
               Caption::FolderItem);
    tagCaption(toolsMenu_->addAction(QStringLiteral("Script editor"), this, &MainWindow::scriptEditorRequested),
               Caption::ScriptEditorItem);

    helpMenu_ = menuBar()->addMenu(QStringLiteral("&Help"));
    tagCaption(helpMenu_, Caption::InfoMenu);
    tagCaption(helpMenu_->addAction(QStringLiteral("Help"), this, &MainWindow::helpRequested), Caption::HelpItem);
    tagCaption(helpMenu_->addAction(QStringLiteral("Info"), this, &MainWindow::infoRequested), Caption::InfoItem);
}

void MainWindow::buildStatusBar()
{
    uptimePanel_ = new QLabel(this);
    clockPanel_ = new QLabel(this);
    auto* empty = new QLabel(this);
    uptimePanel_->setFixedWidth(100);
    clockPanel_->setFixedWidth(150);
    empty->setFixedWidth(50);
    for (QLabel* panel : {uptimePanel_, clockPanel_, empty}) {
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(panel);
    }
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(1000);
    connect(statusTimer_, &QTimer::timeout, this, &MainWindow::updateStatus);
    statusTimer_->start();
    updateStatus();
}

void MainWindow::updateStatus()
{
    uptimePanel_->setText(QString::fromStdString(core_.uptime().text()));
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    clockPanel_->setText(QString::fromLocal8Bit(app::clockText(local)));
}

void MainWindow::rebuildServerMenu()
{
    serverMenu_->clear();
    for (const auto& name : core_.serverViews().menuCaptions()) {
        // "&&" shows one "&" instead of marking a shortcut; the click looks the entry
        // up by the bytes it was stored with, whatever they look like on the screen.
        auto* item = serverMenu_->addAction(DecodeLine(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
        connect(item, &QAction::triggered, this, [this, name] { core_.launcher().ServerMenuClick(name); });
    }
}

void MainWindow::addressClicked()
{
    const QModelIndex row = addresses_->currentIndex();
    if (row.isValid() && addresses_->selectionModel()->isSelected(row))
        desktop_.openUrl(row.data().toString().toStdString());
}

void MainWindow::toggleOnTop()
{
    const bool onTop = onTop_->isChecked();
    // Changing the flag on the platform window keeps the window where it is and does
    // not activate it; setting the widget's flags would re-create the window.
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, onTop);
    else
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Sessions opened at start-up were sized before the area had its size.
    QTimer::singleShot(0, this, &MainWindow::fitSessionWindows);
}

void MainWindow::fitSessionWindows()
{
    const QSize room = sessions_->viewport()->size();
    for (QMdiSubWindow* window : sessions_->subWindowList()) {
        if (window->isMaximized() || window->isMinimized())
            continue;
        // Placed before the area had its size, a window may even start left of it.
        const QRect frame = window->geometry();
        const QPoint at(std::max(0, frame.x()), std::max(0, frame.y()));
        const QSize size(std::max(200, std::min(frame.width(), room.width() - at.x())),
                         std::max(150, std::min(frame.height(), room.height() - at.y())));
        if (at != frame.topLeft() || size != frame.size())
            window->setGeometry(QRect(at, size));
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Every session window is asked; a connected one refuses and quits its server
    // first, and its refusal keeps the program running for this attempt.
    sessions_->closeAllSubWindows();
    const auto windows = sessions_->subWindowList();
    const bool refused = std::any_of(windows.begin(), windows.end(), [](const QMdiSubWindow* w) { return !w->isHidden(); });
    if (refused)
        event->ignore();
    else
        event->accept();
}

} // namespace pell::gui
