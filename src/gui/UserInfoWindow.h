#pragma once

#include "session/UserInfoModel.h"

#include <QWidget>

class QLabel;

namespace pell::gui {

// "User": the nick, address and record number of the last user asked about. One for
// the program, not modal.
class UserInfoWindow : public QWidget, public session::UserInfoViewPort {
    Q_OBJECT
public:
    UserInfoWindow(session::UserInfoModel& model, QWidget* parent = nullptr);
    ~UserInfoWindow() override;

    void userInfoChanged() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    session::UserInfoModel& model_;
    QLabel* nick_;
    QLabel* address_;
    QLabel* id_;
};

} // namespace pell::gui
