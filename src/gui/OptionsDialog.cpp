#include "gui/OptionsDialog.h"

#include "gui/TextDecoding.h"
#include "gui/DialogPlacement.h"
#include "gui/FieldBinding.h"
#include "gui/IdentityFields.h"
#include "gui/LoginFields.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include "gui/Captions.h"
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pell::gui {

OptionsDialog::OptionsDialog(QWidget* parent, app::OptionsModel& model, FolderChooser& chooser)
    : QDialog(parent), model_(model), chooser_(chooser)
{
    setWindowTitle("Options");
    setModal(false);
    resize(750, 519);

    auto* tabs = new QTabWidget;
    tabs->setObjectName("tabs");
    using app::Caption;
    tagCaption(this, Caption::OptionsWindow);
    const std::pair<QWidget*, Caption> pages[] = {
        {userTab(), Caption::OptionsUserTab},           {serverTab(), Caption::OptionsServerTab},
        {firewallTab(), Caption::OptionsFirewallTab},   {downloadPathTab(), Caption::OptionsDownloadPathTab},
        {downloadsTab(), Caption::OptionsDownloadsTab}, {miscTab(), Caption::OptionsMiscTab},
        {chatTab(), Caption::OptionsChatTab}};
    for (const char* caption : {"User", "Serverlist", "Firewall", "Downloadpath", "Downloads", "Misc", "Chat"}) {
        const auto& [page, tag] = pages[tabs->count()];
        tabs->addTab(page, caption);
        tagCaption(page, tag);
    }

    auto* close = new QPushButton("Close");
    close->setObjectName("close");
    tagCaption(close, Caption::OptionsClose);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &OptionsDialog::reject);
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(bar);
    // Six tabs with their own Save buttons: Enter in a field must not press one of
    // them behind the user's back.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    showModel();
}

void OptionsDialog::showCentred()
{
    showModel();
    if (!isVisible())
        centreOnParent(*this);
    show();
    raise();
    activateWindow();
}

void OptionsDialog::reject()
{
    QDialog::reject();
    model_.Close();
    showModel(); // the nickname lost its spaces
}

QWidget* OptionsDialog::userTab()
{
    auto* tab = new QWidget;
    user_ = new IdentityFields;
    user_->setObjectName("user");
    user_->tagCaptions(app::Caption::UserNick);
    user_->OnEdited = [this](const settings::Identity& id) { settings::setIdentity(model_.settings(), id); };
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(user_);
    layout->addStretch();
    return tab;
}

QWidget* OptionsDialog::serverTab()
{
    auto* tab = new QWidget;
    app::ServerEditor& panel = model_.server();
    serverName_ = boundEdit("serverName", [&panel]() -> std::string& { return panel.Name; });
    serverHost_ = boundEdit("serverHost", [&panel]() -> std::string& { return panel.Host; });
    serverPort_ = boundEdit("serverPort", [&panel]() -> std::string& { return panel.Port; });
    autoConnect_ = boundBox("Auto-Connect at startup", "autoConnect", [&panel]() -> bool& { return panel.AutoConnect; });
    serverTls_ = boundBox("TLS", "serverTls", [&panel]() -> bool& { return panel.Tls; });
    tagCaption(serverTls_, app::Caption::ServerTlsBox);
    useStandard_ = new QCheckBox("Use standard settings");
    useStandard_->setObjectName("useStandard");
    tagCaption(autoConnect_, app::Caption::AutoConnectBox);
    tagCaption(useStandard_, app::Caption::UseStandardBox);
    serverIdentity_ = new IdentityFields;
    serverIdentity_->tagCaptions(app::Caption::ServerNick);
    serverLogin_ = new LoginFields;
    serverLogin_->setObjectName("serverLogin");
    serverLogin_->tagCaptions(app::Caption::ServerLoginLabel);
    serverLogin_->OnEdited = [&panel](const settings::ServerLogin& login) { panel.Login = login; };
    serverIdentity_->setObjectName("serverIdentity");
    serverIdentity_->OnEdited = [&panel](const settings::Identity& id) { panel.identity.values = id; };
    connect(useStandard_, &QCheckBox::clicked, this, [this](bool set) {
        model_.UseStandardSettingsChanged(set);
        showServerPanel();
    });

    auto* save = new QPushButton("Save");
    save->setObjectName("serverSave");
    auto* remove = new QPushButton("Delete");
    remove->setObjectName("serverDelete");
    tagCaption(save, app::Caption::ServerSave);
    tagCaption(remove, app::Caption::ServerDelete);
    connect(save, &QPushButton::clicked, this, [this] {
        model_.ServerSave();
        showServerPanel();
        showServerRows();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        model_.ServerDelete();
        showServerRows();
    });

    serverRows_ = new QTreeWidget;
    serverRows_->setObjectName("serverRows");
    serverRows_->setHeaderLabels({"Name", "Host", "Port"});
    serverRows_->setRootIsDecorated(false);
    serverRows_->setColumnWidth(0, 150);
    serverRows_->setColumnWidth(1, 150);
    connect(serverRows_, &QTreeWidget::itemClicked, this, [this] {
        // By the row's stored bytes: a name that is not UTF-8 reads differently on screen.
        const int row = serverRows_->indexOfTopLevelItem(serverRows_->currentItem());
        const auto& rows = model_.views().rows();
        if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
            return;
        model_.ServerListClick(rows[static_cast<std::size_t>(row)].Name);
        showServerPanel();
    });

    auto* where = new QFormLayout;
    where->addRow("Name:", serverName_);
    where->addRow("Server:", serverHost_);
    auto* port = new QHBoxLayout;
    port->addWidget(serverPort_);
    port->addWidget(serverTls_);
    where->addRow("Port:", port);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(remove);
    auto* editing = new QVBoxLayout;
    editing->addLayout(where);
    editing->addWidget(autoConnect_);
    auto* userSettings = new QLabel("Usersettings:");
    tagCaption(userSettings, app::Caption::UserSettingsLabel);
    editing->addWidget(userSettings);
    editing->addWidget(useStandard_);
    editing->addWidget(serverIdentity_);
    editing->addStretch();
    editing->addLayout(buttons);

    auto* layout = new QHBoxLayout(tab);
    layout->addLayout(editing, 0);
    // The login sits under the list, so the tab keeps its height.
    auto* listSide = new QVBoxLayout;
    listSide->addWidget(serverRows_, 1);
    listSide->addWidget(serverLogin_);
    layout->addLayout(listSide, 1);
    return tab;
}

void OptionsDialog::showModel()
{
    const settings::AppSettings& s = model_.settings();
    user_->display(settings::identityOf(s));
    showServerPanel();
    showServerRows();

    proxyHost_->setText(DecodeLine(s.ProxyHost));
    proxyPort_->setText(DecodeLine(s.ProxyPort));
    proxyNeedsAuth_->setChecked(s.ProxyNeedsAuth);
    proxyUser_->setText(DecodeLine(s.ProxyUser));
    proxyPassword_->setText(DecodeLine(s.ProxyPassword));
    proxyType_->setCurrentIndex(static_cast<int>(s.ProxyType)); // NotChosen: no selection

    folderExtension_->setText(DecodeLine(model_.FolderExtension));
    folderPath_->setText(DecodeLine(model_.FolderPath));
    showFolderRules();

    downloadMode_->setCurrentIndex(static_cast<int>(s.DownloadMode)); // NotChosen: no selection
    showExtensions();

    showColours();
    scriptDelay_->setText(DecodeLine(s.ScriptDelay));
    flash_->setChecked(s.FlashOnMessage);
    language_->button(s.Language == settings::Language::English ? 0 : 1)->setChecked(true);
    showChatOptions();
    showRouterOptions();
}

void OptionsDialog::showServerPanel()
{
    const app::ServerEditor& panel = model_.server();
    serverName_->setText(DecodeLine(panel.Name));
    serverHost_->setText(DecodeLine(panel.Host));
    serverPort_->setText(DecodeLine(panel.Port));
    autoConnect_->setChecked(panel.AutoConnect);
    serverTls_->setChecked(panel.Tls);
    useStandard_->setChecked(panel.identity.useStandard);
    serverIdentity_->display(panel.identity.values);
    serverIdentity_->setGreyed(!panel.identity.enabled());
    serverLogin_->display(panel.Login);
}

void OptionsDialog::showServerRows()
{
    serverRows_->clear();
    for (const auto& row : model_.views().rows())
        serverRows_->addTopLevelItem(
            new QTreeWidgetItem(QStringList{DecodeLine(row.Name), DecodeLine(row.Host), DecodeLine(row.Port)}));
}

void OptionsDialog::showFolderRules()
{
    folderRules_->clear();
    for (const auto& rule : model_.settings().FolderRules)
        folderRules_->addTopLevelItem(new QTreeWidgetItem(QStringList{DecodeLine(rule.Pattern), DecodeLine(rule.Folder)}));
}

void OptionsDialog::showExtensions()
{
    for (ExtensionColumn& column : extensions_) {
        column.field->setText(DecodeLine(model_.extensionField(column.list)));
        column.view->clear();
        for (const std::string& pattern : model_.patterns(column.list))
            column.view->addItem(DecodeLine(pattern));
    }
}

} // namespace pell::gui
