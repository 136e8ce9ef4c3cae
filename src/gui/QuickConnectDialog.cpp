#include "gui/QuickConnectDialog.h"

#include "gui/TextDecoding.h"
#include "gui/FieldBinding.h"
#include "gui/DialogPlacement.h"
#include "gui/IdentityFields.h"
#include "gui/LoginFields.h"
#include "gui/Captions.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pell::gui {

QuickConnectDialog::QuickConnectDialog(QWidget* parent, app::QuickConnectModel& model)
    : QDialog(parent), model_(model), name_(new QLineEdit), server_(new QLineEdit), port_(new QLineEdit),
      tls_(new QCheckBox("TLS")), useStandard_(new QCheckBox("Use standard settings")),
      identity_(new IdentityFields), login_(new LoginFields)
{
    setWindowTitle("Quick connect");
    setModal(true);
    resize(334, 436);
    name_->setObjectName("name");
    server_->setObjectName("server");
    port_->setObjectName("port");
    useStandard_->setObjectName("useStandard");
    tls_->setObjectName("tls");
    tagCaption(tls_, app::Caption::QuickTlsBox);
    tagCaption(this, app::Caption::QuickConnectWindow);
    tagCaption(useStandard_, app::Caption::QuickUseStandardBox);
    identity_->tagCaptions(app::Caption::QuickNick);
    login_->tagCaptions(app::Caption::QuickLoginLabel);

    auto* where = new QFormLayout;
    where->addRow("Name:", name_);
    where->addRow("Server:", server_);
    auto* port = new QHBoxLayout;
    port->addWidget(port_);
    port->addWidget(tls_);
    where->addRow("Port:", port);
    auto* connectButton = new QPushButton("Connect");
    connectButton->setObjectName("connect");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(connectButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(where);
    auto* userSettings = new QLabel("Usersettings:");
    tagCaption(userSettings, app::Caption::QuickUserSettingsLabel);
    layout->addWidget(userSettings);
    layout->addWidget(useStandard_);
    layout->addWidget(identity_);
    layout->addWidget(login_);
    layout->addStretch();
    layout->addLayout(buttons);

    for (QLineEdit* edit : {name_, server_, port_})
        keepOnOneLine(edit);
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.Name = toBytes(WithoutLineBreaks(t)); });
    connect(server_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.Server = toBytes(WithoutLineBreaks(t)); });
    connect(port_, &QLineEdit::textEdited, this, [this](const QString& t) { model_.Port = toBytes(WithoutLineBreaks(t)); });
    connect(tls_, &QCheckBox::clicked, this, [this](bool set) { model_.Tls = set; });
    connect(useStandard_, &QCheckBox::clicked, this, [this](bool set) {
        model_.UseStandardSettingsChanged(set);
        showModel();
    });
    identity_->OnEdited = [this](const settings::Identity& id) { model_.identity.values = id; };
    login_->OnEdited = [this](const settings::ServerLogin& login) { model_.Login = login; };
    connect(connectButton, &QPushButton::clicked, this, [this] {
        model_.ConnectClick();
        showModel();
        accept();
    });
    showModel();
}

void QuickConnectDialog::run()
{
    model_.Open();
    showModel();
    centreOnParent(*this);
    exec();
    model_.Closed();
}

void QuickConnectDialog::showModel()
{
    name_->setText(DecodeLine(model_.Name));
    server_->setText(DecodeLine(model_.Server));
    port_->setText(DecodeLine(model_.Port));
    tls_->setChecked(model_.Tls);
    useStandard_->setChecked(model_.identity.useStandard);
    identity_->display(model_.identity.values);
    identity_->setGreyed(!model_.identity.enabled());
    login_->display(model_.Login);
}

} // namespace pell::gui
