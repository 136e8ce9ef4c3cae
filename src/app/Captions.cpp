#include "app/Captions.h"

#include <array>

namespace pell::app {


namespace {

using C = Caption;

constexpr std::array<CaptionRow, 88> rows{{
    {C::FileMenu, "File", "Datei"},
    {C::ExitItem, "Exit", "Beenden"},
    {C::ServerMenu, "Server", "Server"},
    {C::OptionsMenu, "Options", "Optionen"},
    {C::InfoMenu, "Info", "Info"},
    {C::HelpItem, "Help", "Hilfe"},
    {C::InfoItem, "Info", "Info"},
    {C::QuickConnectItem, "Quick connect", "Schnell Verbindung"},
    {C::ToolsMenu, "Tools", "Tools"},
    {C::FolderItem, "Open program folder", "Programm Ordner öffnen"},
    {C::ScriptEditorItem, "Script editor", "Script editor"},
    {C::OnTopItem, "Stay on top", "Immer im Vordergrund"},
    {C::OptionsUserTab, "User", "User"},
    {C::OptionsServerTab, "Serverlist", "Serverliste"},
    {C::OptionsFirewallTab, "Firewall", "Firewall"},
    {C::OptionsDownloadPathTab, "Downloadpath", "Downloadpfad"},
    {C::OptionsDownloadsTab, "Downloads", "Downloads"},
    {C::OptionsMiscTab, "Misc", "Misc"},
    {C::OptionsWindow, "Options", "Options"},
    {C::UserNick, "Nickname:", "Nickname:"},
    {C::UserRealName, "Realname:", "Name:"},
    {C::UserUsername, "Username", "Username"},
    {C::UserPassword, "Password:", "Passwort:"},
    {C::UserInvisible, "Invisible", "Unsichtbar"},
    {C::UserOperator, "Operator", "Operator"},
    {C::UserServerNotice, "Servernotice", "Servernotice"},
    {C::UserWallops, "Wallops", "Wallops"},
    {C::ServerNick, "Nickname:", "Nickname:"},
    {C::ServerRealName, "Realname:", "Name:"},
    {C::ServerUsername, "Username", "Username"},
    {C::ServerPassword, "Password:", "Passwort:"},
    {C::ServerInvisible, "Invisible", "Unsichtbar"},
    {C::ServerOperator, "Operator", "Operator"},
    {C::ServerServerNotice, "Servernotice", "Servernotice"},
    {C::ServerWallops, "Wallops", "Wallops"},
    {C::UseStandardBox, "Use standard settings", "Standard Einstellungen"},
    {C::AutoConnectBox, "Auto connect at startup", "Verbinden bei Programmstart"},
    {C::UserSettingsLabel, "Usersettings:", "Benutzereinstellungen:"},
    {C::ServerSave, " Save", " Speichern"},
    {C::ServerDelete, " Delete", " Löschen"},
    {C::OptionsClose, " Close", " Schließen"},
    {C::FirewallHeading, "Proxy settings (blank for no proxy):", "Proxy Einstellungen (leerlassen für keinen Proxy):"},
    {C::ProxyAuthBox, "Needs Username and Password:", "Benötigt Benutzername und Passwort:"},
    {C::DownloadPathText, "Save files with following extension in", "Dateien mit folgender Extension speichern in"},
    {C::ExtensionLabel, "Extension:", "Extension:"},
    {C::FolderLabel, "Folder", "Ordner"},
    {C::FolderRuleSave, "Save", "Speichern"},
    {C::DownloadOfferedLabel, "When download is offered", "Bei angebotenen download"},
    {C::AcceptLabel, "Accept Extension:", "Akzeptiere Extension:"},
    {C::IgnoreLabel, "Ignore Extension:", "Ignoriere Extension:"},
    {C::DisableLabel, "Disable Extension:", "Verbiete Extension:"},
    {C::AcceptSave, "Save", "Speichern"},
    {C::DisableSave, "Save", "Speichern"},
    {C::IgnoreSave, "Save", "Speichern"},
    {C::OwnColourLabel, "Color for own Messages:", "Farbe für eigene Nachrichten:"},
    {C::OthersColourLabel, "Color for all other users:", "Farbe für andere Benutzer:"},
    {C::SystemColourLabel, "System messages:", "System Nachrichten:"},
    {C::ActionColourLabel, "Action messages:", "Aktions Nachrichten:"},
    {C::ScriptDelayLabel, "Delay between script command (ms):", "Verzögerung zwischen Script befehlen (ms):"},
    {C::QuickConnectWindow, "Quick connect", "Schnell Verbindung"},
    {C::QuickNick, "Nickname:", "Nickname:"},
    {C::QuickRealName, "Realname:", "Name:"},
    {C::QuickUsername, "Username", "Username"},
    {C::QuickPassword, "Password:", "Password:"},
    {C::QuickInvisible, "Invisible", "Unsichtbar"},
    {C::QuickOperator, "Operator", "Operator"},
    {C::QuickServerNotice, "Servernotice", "Servernotice"},
    {C::QuickWallops, "Wallops", "Wallops"},
    {C::QuickUseStandardBox, "Use standard settings", "Standard Einstellungen"},
    {C::QuickUserSettingsLabel, "Usersettings:", "Bentuzereinstellungen:"},
    {C::ScriptEditorWindow, "Script editor", "Script editor"},
    {C::ScriptChooseLabel, "Choose Script:", "Wähle Script:"},
    {C::ScriptNameLabel, "Scriptname:", "Scriptname:"},
    {C::ScriptSave, "Save", "Speichern"},
    {C::ScriptDelete, "Delete", "Löschen"},
    {C::FolderChooserWindow, "Folder", "Ordner"},
    {C::ServerTlsBox, "TLS", "TLS"},
    {C::QuickTlsBox, "TLS", "TLS"},
    {C::ServerLoginLabel, "Login (SASL):", "Anmeldung (SASL):"},
    {C::ServerAccountLabel, "Account:", "Konto:"},
    {C::ServerLoginPasswordLabel, "Password:", "Passwort:"},
    {C::ServerCertificateLabel, "Certificate:", "Zertifikat:"},
    {C::ServerLoginRequiredBox, "Require login", "Anmeldung verlangen"},
    {C::QuickLoginLabel, "Login (SASL):", "Anmeldung (SASL):"},
    {C::QuickAccountLabel, "Account:", "Konto:"},
    {C::QuickLoginPasswordLabel, "Password:", "Passwort:"},
    {C::QuickCertificateLabel, "Certificate:", "Zertifikat:"},
    {C::QuickLoginRequiredBox, "Require login", "Anmeldung verlangen"},
}};

} // namespace

std::span<const CaptionRow> CaptionTable()
{
    return rows;
}

} // namespace pell::app
