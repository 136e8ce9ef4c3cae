#pragma once

#include "app/Captions.h"
#include "settings/ServerProfile.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;

namespace pell::gui {

// The login of a server entry (SASL): mechanism ("-" for none, PLAIN, EXTERNAL), then
// what it needs: account and masked password for PLAIN, the certificate file for
// EXTERNAL, and "Require login". Every edit goes to OnEdited with the whole login.
class LoginFields : public QWidget {
    Q_OBJECT
public:
    explicit LoginFields(QWidget* parent = nullptr);

    void display(const settings::ServerLogin& login);
    settings::ServerLogin login() const;
    // Marks the five captions (heading, three labels, the box) from the first.
    void tagCaptions(app::Caption first);

    std::function<void(const settings::ServerLogin&)> OnEdited;

private:
    void edited();
    void showRows();

    QFormLayout* fields_ = nullptr;
    QLabel* labels_[4] = {};
    QComboBox* mechanism_;
    QLineEdit* account_;
    QLineEdit* password_;
    QLineEdit* certificate_;
    QCheckBox* required_;
};

} // namespace pell::gui
