#pragma once

#include "app/Captions.h"
#include "settings/Identity.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace pell::gui {

// The eight identity controls: nickname, full name, user name, masked password and
// the four user-mode boxes. Every edit goes to OnEdited with the whole identity.
class IdentityFields : public QWidget {
    Q_OBJECT
public:
    explicit IdentityFields(QWidget* parent = nullptr);

    void display(const settings::Identity& identity);
    settings::Identity identity() const;
    // Marks the eight controls for the language's captions, from the panel's first row.
    void tagCaptions(app::Caption first);
    // Greyed and disabled while "Use standard settings" is set.
    void setGreyed(bool greyed);

    std::function<void(const settings::Identity&)> OnEdited;

private:
    settings::Identity shown_; // what display() put into the fields, byte for byte
    void edited();

    QLabel* labels_[4] = {};
    QLineEdit* nick_;
    QLineEdit* realName_;
    QLineEdit* username_;
    QLineEdit* password_;
    QCheckBox* invisible_;
    QCheckBox* operator_;
    QCheckBox* serverNotice_;
    QCheckBox* wallops_;
};

} // namespace pell::gui
