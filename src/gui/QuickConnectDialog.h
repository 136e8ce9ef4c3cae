#pragma once

#include "app/QuickConnectModel.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace pell::gui {

class IdentityFields;
class LoginFields;

// The "Quick connect" dialog over its model. The main window's File item
// "Quick connect" calls run().
class QuickConnectDialog : public QDialog {
    Q_OBJECT
public:
    QuickConnectDialog(QWidget* parent, app::QuickConnectModel& model);

    // Refreshes the identity, shows the dialog modally and, once it is closed in
    // whatever way, starts the session.
    void run();

private:
    void showModel();

    app::QuickConnectModel& model_;
    QLineEdit* name_;
    QLineEdit* server_;
    QLineEdit* port_;
    QCheckBox* tls_;
    QCheckBox* useStandard_;
    IdentityFields* identity_;
    LoginFields* login_;
};

} // namespace pell::gui
