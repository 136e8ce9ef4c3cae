// The Firewall, Downloadpath, Downloads and Misc tabs of the options dialog.
#include "gui/OptionsDialog.h"

#include "gui/TextDecoding.h"
#include "gui/FieldBinding.h"
#include "gui/FolderChooser.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include "gui/Captions.h"
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pell::gui {

namespace {

QColor toQColor(std::int32_t colour)
{
    return QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

std::int32_t fromQColor(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

} // namespace

QWidget* OptionsDialog::firewallTab()
{
    auto* tab = new QWidget;
    settings::AppSettings& s = model_.settings();
    auto* heading = new QLabel("Proxy settings (blank for no proxy):");
    tagCaption(heading, app::Caption::FirewallHeading);
    QFont large = heading->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    heading->setFont(large);
    QPalette blue = heading->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    heading->setPalette(blue);

    proxyHost_ = boundEdit("proxyHost", [&s]() -> std::string& { return s.ProxyHost; });
    proxyPort_ = boundEdit("proxyPort", [&s]() -> std::string& { return s.ProxyPort; });
    proxyPort_->setMaximumWidth(60);
    proxyNeedsAuth_ =
        boundBox("Needs Username and Password:", "proxyNeedsAuth", [&s]() -> bool& { return s.ProxyNeedsAuth; });
    tagCaption(proxyNeedsAuth_, app::Caption::ProxyAuthBox);
    proxyUser_ = boundEdit("proxyUser", [&s]() -> std::string& { return s.ProxyUser; });
    proxyPassword_ = boundEdit("proxyPassword", [&s]() -> std::string& { return s.ProxyPassword; });
    proxyPassword_->setEchoMode(QLineEdit::Password);
    proxyType_ = new QComboBox;
    proxyType_->setObjectName("proxyType");
    proxyType_->addItems({"NoSocks", "Socks4", "Socks4A", "Socks5"});
    proxyType_->setPlaceholderText("svNoSocks");
    connect(proxyType_, &QComboBox::activated, this, [&s](int index) { s.ProxyType = static_cast<settings::ProxyType>(index); });

    auto* server = new QHBoxLayout;
    server->addWidget(proxyHost_, 1);
    server->addWidget(proxyPort_);
    auto* login = new QFormLayout;
    login->addRow("Username:", proxyUser_);
    login->addRow("Password:", proxyPassword_);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(heading);
    layout->addLayout(server);
    layout->addWidget(proxyNeedsAuth_);
    layout->addLayout(login);
    layout->addWidget(proxyType_, 0, Qt::AlignLeft);
    layout->addStretch();
    return tab;
}

QWidget* OptionsDialog::downloadPathTab()
{
    auto* tab = new QWidget;
    folderExtension_ = boundEdit("folderExtension", [this]() -> std::string& { return model_.FolderExtension; });
    folderPath_ = boundEdit("folderPath", [this]() -> std::string& { return model_.FolderPath; });
    auto* browse = new QToolButton;
    browse->setObjectName("folderBrowse");
    browse->setText("...");
    connect(browse, &QToolButton::clicked, this, [this] {
        model_.FolderPath = chooser_.choose();
        folderPath_->setText(DecodeLine(model_.FolderPath));
    });
    auto* save = new QPushButton("Save");
    save->setObjectName("folderSave");
    tagCaption(save, app::Caption::FolderRuleSave);
    connect(save, &QPushButton::clicked, this, [this] {
        model_.FolderRuleSave();
        showFolderRules();
    });
    folderRules_ = new QTreeWidget;
    folderRules_->setObjectName("folderRules");
    folderRules_->setHeaderLabels({"Extension", "Folder"});
    folderRules_->setRootIsDecorated(false);
    folderRules_->setColumnWidth(0, 150);
    folderRules_->setColumnWidth(1, 300);

    auto* folder = new QHBoxLayout;
    folder->addWidget(folderPath_, 1);
    folder->addWidget(browse);
    auto* fields = new QFormLayout;
    auto* extensionLabel = new QLabel("Extension:");
    auto* folderLabel = new QLabel("Folder:");
    auto* text = new QLabel("Save files with following extension in");
    tagCaption(extensionLabel, app::Caption::ExtensionLabel);
    tagCaption(folderLabel, app::Caption::FolderLabel);
    tagCaption(text, app::Caption::DownloadPathText);
    fields->addRow(extensionLabel, folderExtension_);
    fields->addRow(folderLabel, folder);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(text);
    layout->addLayout(fields);
    layout->addWidget(save, 0, Qt::AlignLeft);
    layout->addWidget(folderRules_, 1);
    return tab;
}

QWidget* OptionsDialog::downloadsTab()
{
    auto* tab = new QWidget;
    settings::AppSettings& s = model_.settings();
    downloadMode_ = new QComboBox;
    downloadMode_->setObjectName("downloadMode");
    downloadMode_->addItems({"ask for download", "download file", "ignore every file"});
    downloadMode_->setPlaceholderText("ask for download");
    connect(downloadMode_, &QComboBox::activated, this, [&s](int index) { s.DownloadMode = static_cast<settings::DownloadMode>(index); });

    auto* offered = new QHBoxLayout;
    auto* offeredLabel = new QLabel("When download is offered");
    tagCaption(offeredLabel, app::Caption::DownloadOfferedLabel);
    offered->addWidget(offeredLabel);
    offered->addWidget(downloadMode_);
    offered->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(extensionColumn(extensions_[0], "Accept Extension:"));
    columns->addWidget(extensionColumn(extensions_[1], "Disable Extension:"));
    columns->addWidget(extensionColumn(extensions_[2], "Ignore Extension:"));
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(offered);
    layout->addLayout(columns, 1);
    layout->addWidget(routerPanel());
    return tab;
}

QWidget* OptionsDialog::extensionColumn(ExtensionColumn& column, const QString& caption)
{
    const app::ExtensionList list = column.list;
    const QString name = QString::number(static_cast<int>(list));
    column.field = boundEdit("", [this, list]() -> std::string& { return model_.extensionField(list); });
    column.field->setObjectName("extensionField" + name);
    column.view = new QListWidget;
    column.view->setObjectName("extensionList" + name);
    column.view->setContextMenuPolicy(Qt::CustomContextMenu);
    QListWidget* view = column.view;
    connect(view, &QWidget::customContextMenuRequested, this, [this, view, list](const QPoint& at) {
        QMenu menu;
        QAction* remove = menu.addAction("Delete");
        if (menu.exec(view->viewport()->mapToGlobal(at)) != remove)
            return;
        const auto selected = view->selectedItems();
        model_.ExtensionDelete(list, selected.isEmpty() ? -1 : view->row(selected.front()));
        showExtensions();
    });
    auto* save = new QPushButton("Save");
    save->setObjectName("extensionSave" + name);
    using app::Caption;
    const bool accept = list == app::ExtensionList::Accept, ignore = list == app::ExtensionList::Ignore;
    tagCaption(save, accept ? Caption::AcceptSave : ignore ? Caption::IgnoreSave : Caption::DisableSave);
    connect(save, &QPushButton::clicked, this, [this, list] {
        model_.ExtensionSave(list);
        showExtensions();
    });

    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption);
    tagCaption(label, accept ? Caption::AcceptLabel : ignore ? Caption::IgnoreLabel : Caption::DisableLabel);
    layout->addWidget(label);
    auto* entry = new QHBoxLayout;
    entry->addWidget(column.field, 1);
    entry->addWidget(save);
    layout->addLayout(entry);
    layout->addWidget(column.view, 1);
    return box;
}

QWidget* OptionsDialog::miscTab()
{
    auto* tab = new QWidget;
    settings::AppSettings& s = model_.settings();
    const char* captions[] = {"Color for own Messages:", "Color for all other users:", "System messages:",
                              "Action messages:"};
    const char* samples[] = {"Your text", "Example", "Example", "Action"};
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        ColourRow& row = colours_[static_cast<std::size_t>(i)];
        row.sample = new QLabel(samples[i]);
        row.sample->setObjectName("colourSample" + QString::number(i));
        auto* button = new QPushButton("...");
        button->setObjectName("colourButton" + QString::number(i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { chooseColour(colours_[static_cast<std::size_t>(i)]); });
        auto* label = new QLabel(captions[i]);
        tagCaption(label, static_cast<app::Caption>(static_cast<int>(app::Caption::OwnColourLabel) + i));
        grid->addWidget(label, i, 0);
        grid->addWidget(row.sample, i, 1);
        grid->addWidget(button, i, 2);
    }
    grid->setColumnStretch(3, 1);

    scriptDelay_ = boundEdit("scriptDelay", [&s]() -> std::string& { return s.ScriptDelay; });
    scriptDelay_->setMaximumWidth(80);
    flash_ = boundBox("Flash when new message arrives", "flash", [&s]() -> bool& { return s.FlashOnMessage; });

    auto* languageBox = new QGroupBox("Language");
    language_ = new QButtonGroup(this);
    auto* english = new QRadioButton("English");
    auto* german = new QRadioButton("German");
    english->setObjectName("english");
    german->setObjectName("german");
    language_->addButton(english, 0);
    language_->addButton(german, 1);
    auto* languages = new QVBoxLayout(languageBox);
    languages->addWidget(english);
    languages->addWidget(german);
    connect(language_, &QButtonGroup::idClicked, this, [this](int id) { model_.LanguageClick(id); });

    auto* delay = new QHBoxLayout;
    auto* delayLabel = new QLabel("Delay between script command (ms):");
    tagCaption(delayLabel, app::Caption::ScriptDelayLabel);
    delay->addWidget(delayLabel);
    delay->addWidget(scriptDelay_);
    delay->addStretch();
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(grid);
    layout->addLayout(delay);
    layout->addWidget(flash_);
    layout->addWidget(languageBox, 0, Qt::AlignLeft);
    layout->addStretch();
    return tab;
}

void OptionsDialog::showColours()
{
    for (const ColourRow& row : colours_) {
        QPalette colours = row.sample->palette();
        colours.setColor(QPalette::WindowText, toQColor(model_.colour(row.slot)));
        row.sample->setPalette(colours);
    }
}

void OptionsDialog::chooseColour(const ColourRow& row)
{
    const QColor chosen = QColorDialog::getColor(toQColor(model_.colour(row.slot)), this);
    if (!chosen.isValid())
        return;
    model_.colour(row.slot) = fromQColor(chosen);
    showColours();
}

} // namespace pell::gui
