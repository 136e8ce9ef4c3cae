#include "gui/LoginFields.h"

#include "gui/Captions.h"
#include "gui/FieldBinding.h"
#include "gui/TextDecoding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace pell::gui {

namespace {

// The mechanisms as the file stores them; the first, shown as "-", is no login.
const char* const kMechanisms[] = {"", "PLAIN", "EXTERNAL"};

} // namespace

LoginFields::LoginFields(QWidget* parent)
    : QWidget(parent), mechanism_(new QComboBox), account_(new QLineEdit), password_(new QLineEdit),
      certificate_(new QLineEdit), required_(new QCheckBox("Require login"))
{
    mechanism_->setObjectName("loginMechanism");
    account_->setObjectName("loginAccount");
    password_->setObjectName("loginPassword");
    certificate_->setObjectName("loginCertificate");
    required_->setObjectName("loginRequired");
    password_->setEchoMode(QLineEdit::Password);
    certificate_->setPlaceholderText("client.pem");
    mechanism_->addItems({"-", "PLAIN", "EXTERNAL"});

    fields_ = new QFormLayout(this);
    QFormLayout* fields = fields_;
    fields->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const auto& [caption, field] : {std::pair<const char*, QWidget*>{"Login (SASL):", mechanism_},
                                         {"Account:", account_}, {"Password:", password_},
                                         {"Certificate:", certificate_}}) {
        labels_[row++] = new QLabel(caption);
        fields->addRow(labels_[row - 1], field);
    }
    fields->addRow(required_);

    for (QLineEdit* edit : {account_, password_, certificate_}) {
        keepOnOneLine(edit);
        connect(edit, &QLineEdit::textEdited, this, &LoginFields::edited);
    }
    connect(mechanism_, &QComboBox::activated, this, [this] {
        showRows();
        edited();
    });
    showRows();
    connect(required_, &QCheckBox::clicked, this, &LoginFields::edited);
}

void LoginFields::tagCaptions(app::Caption first)
{
    QWidget* const controls[] = {labels_[0], labels_[1], labels_[2], labels_[3], required_};
    for (int i = 0; i < 5; ++i)
        tagCaption(controls[i], static_cast<app::Caption>(static_cast<int>(first) + i));
}

void LoginFields::display(const settings::ServerLogin& login)
{
    int index = 0;
    for (int i = 0; i < 3; ++i)
        if (login.Mechanism == kMechanisms[i])
            index = i;
    mechanism_->setCurrentIndex(index);
    showRows();
    account_->setText(DecodeLine(login.Account));
    password_->setText(DecodeLine(login.Password));
    certificate_->setText(DecodeLine(login.Certificate));
    required_->setChecked(login.Required);
}

settings::ServerLogin LoginFields::login() const
{
    const int index = std::clamp(mechanism_->currentIndex(), 0, 2);
    return {kMechanisms[index], toBytes(WithoutLineBreaks(account_->text())),
            toBytes(WithoutLineBreaks(password_->text())), toBytes(WithoutLineBreaks(certificate_->text())),
            required_->isChecked()};
}

// Only the rows the chosen mechanism uses are shown: with none, the heading alone.
void LoginFields::showRows()
{
    const int mechanism = mechanism_->currentIndex();
    fields_->setRowVisible(1, mechanism == 1);
    fields_->setRowVisible(2, mechanism == 1);
    fields_->setRowVisible(3, mechanism == 2);
    fields_->setRowVisible(4, mechanism != 0);
}

void LoginFields::edited()
{
    if (OnEdited)
        OnEdited(login());
}

} // namespace pell::gui
