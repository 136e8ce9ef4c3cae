#pragma once

#include "app/AppCore.h"
#include "gui/UniformListView.h"
#include "platform/Desktop.h"

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QMenu;
class QAction;
class QTimer;

namespace pell::gui {

class AddressListModel;

// The main window "Pell-IRC": the menus, the area of the session windows, the list of
// web addresses seen in chats and the status bar with the uptime and the clock.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(app::AppCore& core, platform::Desktop& desktop, QWidget* parent = nullptr);

    QMdiArea* sessionArea() const { return sessions_; }
    // Shrinks session windows that stick out of the area, so their input lines show.
    void fitSessionWindows();
    UniformListView* addressList() const { return addresses_; }
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* serverMenu() const { return serverMenu_; }
    QMenu* optionsMenu() const { return optionsMenu_; }
    QMenu* toolsMenu() const { return toolsMenu_; }
    QMenu* helpMenu() const { return helpMenu_; }
    QAction* onTopAction() const { return onTop_; }
    QAction* exitAction() const { return exit_; }
    QLabel* uptimePanel() const { return uptimePanel_; }
    QLabel* clockPanel() const { return clockPanel_; }

    // The status bar's timer tick: the uptime and the clock.
    void updateStatus();

signals:
    void helpRequested();
    void infoRequested();
    void quickConnectRequested();
    void optionsRequested();
    void scriptEditorRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void rebuildServerMenu();
    void addressClicked();
    void toggleOnTop();

    app::AppCore& core_;
    platform::Desktop& desktop_;
    QMdiArea* sessions_ = nullptr;
    UniformListView* addresses_ = nullptr;
    AddressListModel* addressModel_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* serverMenu_ = nullptr;
    QMenu* optionsMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* exit_ = nullptr;
    QAction* onTop_ = nullptr;
    QLabel* uptimePanel_ = nullptr;
    QLabel* clockPanel_ = nullptr;
    QTimer* statusTimer_ = nullptr;
};

} // namespace pell::gui
