#pragma once

#include "settings/AppSettings.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace pell::app {

using settings::Language;

// Every control whose caption follows the language, in the order the table assigns them.
// The three identity panels (options User tab, the server sub-panel, quick connect) have
// the same eight controls each.
enum class Caption : std::uint8_t {
    FileMenu, ExitItem, ServerMenu, OptionsMenu, InfoMenu, HelpItem, InfoItem, QuickConnectItem,
    ToolsMenu, FolderItem, ScriptEditorItem, OnTopItem,
    OptionsUserTab, OptionsServerTab, OptionsFirewallTab, OptionsDownloadPathTab, OptionsDownloadsTab,
    OptionsMiscTab, OptionsWindow,
    UserNick, UserRealName, UserUsername, UserPassword, UserInvisible, UserOperator, UserServerNotice,
    UserWallops,
    ServerNick, ServerRealName, ServerUsername, ServerPassword, ServerInvisible, ServerOperator,
    ServerServerNotice, ServerWallops,
    UseStandardBox, AutoConnectBox, UserSettingsLabel, ServerSave, ServerDelete, OptionsClose,
    FirewallHeading, ProxyAuthBox, DownloadPathText, ExtensionLabel, FolderLabel, FolderRuleSave,
    DownloadOfferedLabel, AcceptLabel, IgnoreLabel, DisableLabel, AcceptSave, DisableSave, IgnoreSave,
    OwnColourLabel, OthersColourLabel, SystemColourLabel, ActionColourLabel, ScriptDelayLabel,
    QuickConnectWindow,
    QuickNick, QuickRealName, QuickUsername, QuickPassword, QuickInvisible, QuickOperator,
    QuickServerNotice, QuickWallops,
    QuickUseStandardBox, QuickUserSettingsLabel,
    ScriptEditorWindow, ScriptChooseLabel, ScriptNameLabel, ScriptSave, ScriptDelete,
    FolderChooserWindow,
    OptionsChatTab, HighlightMentionsBox, NotifyMentionsBox, MentionWordsLabel, MentionColourLabel,
    AutoReconnectBox, TimeStampsBox, WriteLogsBox,
    // Added beside the rest: the "+" of a port line.
    ServerTlsBox, QuickTlsBox,
    // The login of a server entry and of quick connect, in this order for each.
    ServerLoginLabel, ServerAccountLabel, ServerLoginPasswordLabel, ServerCertificateLabel, ServerLoginRequiredBox,
    QuickLoginLabel, QuickAccountLabel, QuickLoginPasswordLabel, QuickCertificateLabel, QuickLoginRequiredBox,
    // DCC behind a router, on the Downloads tab.
    OfferAddressLabel, OfferAddressAutomatic, OfferAddressServerSees, OfferAddressTyped, DccPortsLabel, DccPortsTo,
    PassiveOffersBox,
};

// The offset of a control within an identity panel: nickname, full name, user name and
// password labels, then the invisible, operator, server notice and wallops boxes.
inline constexpr int IdentityPanelSize = 8;

struct CaptionRow {
    Caption target;
    std::string_view english; // UTF-8, leading blanks included
    std::string_view german;

    std::string_view text(Language language) const { return language == Language::English ? english : german; }
};

// The rows, in the order ApplyLanguage assigns them.
std::span<const CaptionRow> CaptionTable();

} // namespace pell::app
