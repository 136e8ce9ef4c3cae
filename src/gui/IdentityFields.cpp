#include "gui/IdentityFields.h"

#include "gui/Captions.h"
#include "gui/FieldBinding.h"
#include "gui/TextDecoding.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace pell::gui {

IdentityFields::IdentityFields(QWidget* parent)
    : QWidget(parent), nick_(new QLineEdit), realName_(new QLineEdit), username_(new QLineEdit),
      password_(new QLineEdit), invisible_(new QCheckBox("Invisible")), operator_(new QCheckBox("Operator")),
      serverNotice_(new QCheckBox("Servernotice")), wallops_(new QCheckBox("Wallops"))
{
    nick_->setObjectName("nick");
    realName_->setObjectName("realName");
    username_->setObjectName("username");
    password_->setObjectName("password");
    password_->setEchoMode(QLineEdit::Password);

    auto* fields = new QFormLayout;
    for (const auto& [caption, field] : {std::pair{"Nickname:", nick_}, {"Real Name:", realName_},
                                         {"Username:", username_}, {"Password:", password_}}) {
        labels_[fields->rowCount()] = new QLabel(caption);
        fields->addRow(labels_[fields->rowCount()], field);
    }
    auto* boxes = new QGridLayout;
    boxes->addWidget(invisible_, 0, 0);
    boxes->addWidget(operator_, 0, 1);
    boxes->addWidget(serverNotice_, 1, 0);
    boxes->addWidget(wallops_, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(boxes);

    for (QLineEdit* edit : {nick_, realName_, username_, password_}) {
        keepOnOneLine(edit);
        connect(edit, &QLineEdit::textEdited, this, &IdentityFields::edited);
    }
    for (QCheckBox* box : {invisible_, operator_, serverNotice_, wallops_})
        connect(box, &QCheckBox::clicked, this, &IdentityFields::edited);
}

void IdentityFields::tagCaptions(app::Caption first)
{
    QWidget* const controls[] = {labels_[0], labels_[1], labels_[2], labels_[3],
                                 invisible_, operator_, serverNotice_, wallops_};
    for (int i = 0; i < app::IdentityPanelSize; ++i)
        tagCaption(controls[i], static_cast<app::Caption>(static_cast<int>(first) + i));
}

void IdentityFields::display(const settings::Identity& identity)
{
    shown_ = identity;
    nick_->setText(DecodeLine(identity.Nick));
    realName_->setText(DecodeLine(identity.RealName));
    username_->setText(DecodeLine(identity.Username));
    password_->setText(DecodeLine(identity.Password));
    invisible_->setChecked(identity.Invisible);
    operator_->setChecked(identity.Operator);
    serverNotice_->setChecked(identity.ServerNotice);
    wallops_->setChecked(identity.Wallops);
}

settings::Identity IdentityFields::identity() const
{
    // A value the user did not change goes back as the bytes it came with: text that is
    // not UTF-8 (a file from another machine) would otherwise change on the way.
    const auto value = [](const QLineEdit* edit, const std::string& shown) {
        const QString text = WithoutLineBreaks(edit->text());
        return text == DecodeLine(shown) ? shown : toBytes(text);
    };
    return {value(nick_, shown_.Nick),         value(realName_, shown_.RealName),
            value(username_, shown_.Username), value(password_, shown_.Password),
            invisible_->isChecked(),           operator_->isChecked(),
            serverNotice_->isChecked(),        wallops_->isChecked()};
}

void IdentityFields::setGreyed(bool greyed)
{
    setEnabled(!greyed);
    setAutoFillBackground(true);
    QPalette colours = QApplication::palette(this);
    if (greyed) {
        colours.setColor(QPalette::Window, QColor(208, 208, 208));
        // The labels and values stay readable on the grey.
        colours.setColor(QPalette::Disabled, QPalette::WindowText, QColor(80, 80, 80));
        colours.setColor(QPalette::Disabled, QPalette::Text, QColor(80, 80, 80));
    }
    setPalette(colours);
}

void IdentityFields::edited()
{
    if (OnEdited)
        OnEdited(identity());
}

} // namespace pell::gui
