#pragma once

#include "app/OptionsModel.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTreeWidget;

namespace pell::gui {

class FolderChooser;
class IdentityFields;
class LoginFields;

// The "Options" dialog over its model: six tabs and a Close button. It is created once
// and hidden between uses; the main window's Options item calls showCentred(). Every
// edit reaches AppSettings at once; every close writes the settings files.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(QWidget* parent, app::OptionsModel& model, FolderChooser& chooser);

    // Shows the dialog without blocking, centred on the main window.
    void showCentred();
    // Redraws every control from the model (after loading, after a language change).
    void showModel();

protected:
    // The Close button, the window frame and Escape all end here.
    void reject() override;

private:
    struct ExtensionColumn {
        app::ExtensionList list;
        QLineEdit* field = nullptr;
        QListWidget* view = nullptr;
    };
    struct ColourRow {
        app::ColourSlot slot;
        QLabel* sample = nullptr;
    };

    QWidget* userTab();
    QWidget* serverTab();
    QWidget* firewallTab();
    QWidget* downloadPathTab();
    QWidget* downloadsTab();
    QWidget* miscTab();
    // Mentions, notifications, reconnecting, time stamps and logs (OptionsChatTab.cpp).
    QWidget* chatTab();
    void showChatOptions();
    QWidget* routerPanel();
    void showRouterOptions();
    QWidget* extensionColumn(ExtensionColumn& column, const QString& caption);
    void showServerPanel();
    void showServerRows();
    void showFolderRules();
    void showExtensions();
    void showColours();
    void chooseColour(const ColourRow& row);

    app::OptionsModel& model_;
    FolderChooser& chooser_;

    IdentityFields* user_ = nullptr;

    QLineEdit* serverName_ = nullptr;
    QLineEdit* serverHost_ = nullptr;
    QLineEdit* serverPort_ = nullptr;
    QCheckBox* autoConnect_ = nullptr;
    QCheckBox* serverTls_ = nullptr;
    LoginFields* serverLogin_ = nullptr;
    QCheckBox* useStandard_ = nullptr;
    IdentityFields* serverIdentity_ = nullptr;
    QTreeWidget* serverRows_ = nullptr;

    QLineEdit* proxyHost_ = nullptr;
    QLineEdit* proxyPort_ = nullptr;
    QCheckBox* proxyNeedsAuth_ = nullptr;
    QLineEdit* proxyUser_ = nullptr;
    QLineEdit* proxyPassword_ = nullptr;
    QComboBox* proxyType_ = nullptr;

    QLineEdit* folderExtension_ = nullptr;
    QLineEdit* folderPath_ = nullptr;
    QTreeWidget* folderRules_ = nullptr;

    QComboBox* downloadMode_ = nullptr;
    std::array<ExtensionColumn, 3> extensions_{{{app::ExtensionList::Accept},
                                                {app::ExtensionList::Disable},
                                                {app::ExtensionList::Ignore}}};

    std::array<ColourRow, 5> colours_{{{app::ColourSlot::Own},
                                       {app::ColourSlot::Others},
                                       {app::ColourSlot::System},
                                       {app::ColourSlot::Action},
                                       {app::ColourSlot::Mention}}};
    QLineEdit* scriptDelay_ = nullptr;
    QCheckBox* flash_ = nullptr;
    QButtonGroup* language_ = nullptr;

    QCheckBox* highlightMentions_ = nullptr;
    QCheckBox* notifyMentions_ = nullptr;
    QLineEdit* mentionWords_ = nullptr;
    QCheckBox* autoReconnect_ = nullptr;
    QCheckBox* timeStamps_ = nullptr;
    QCheckBox* writeLogs_ = nullptr;

    QButtonGroup* offerAddress_ = nullptr;
    QLineEdit* typedOfferAddress_ = nullptr;
    QLineEdit* firstDccPort_ = nullptr;
    QLineEdit* lastDccPort_ = nullptr;
    QCheckBox* offerFilesPassively_ = nullptr;
};

} // namespace pell::gui
