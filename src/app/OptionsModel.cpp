#include "app/OptionsModel.h"

#include "settings/PasswordScrambler.h"

#include <algorithm>

namespace pell::app {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

settings::ServerProfile profileOf(const ServerEditor& editor)
{
    const settings::Identity& id = editor.identity.values;
    settings::ServerProfile profile;
    profile.Name = editor.Name;
    profile.Host = editor.Host;
    profile.AutoConnect = editor.AutoConnect;
    profile.Tls = editor.Tls;
    settings::applyIdentity(id, profile);
    return profile;
}

} // namespace

OptionsModel::OptionsModel(settings::AppSettings& settings, settings::ServerList& servers, ServerViews& views, settings::AppSettingsFiles files,
                           platform::UserPrompts& prompts, std::string homeFolder)
    : FolderPath(std::move(homeFolder)), settings_(settings), servers_(servers), views_(views),
      files_(std::move(files)), prompts_(prompts)
{
}

std::string& OptionsModel::extensionField(ExtensionList list)
{
    switch (list) {
    case ExtensionList::Accept: return acceptField_;
    case ExtensionList::Disable: return disableField_;
    case ExtensionList::Ignore: break;
    }
    return ignoreField_;
}

std::vector<std::string>& OptionsModel::patterns(ExtensionList list)
{
    switch (list) {
    case ExtensionList::Accept: return settings_.AcceptPatterns;
    case ExtensionList::Disable: return settings_.DisablePatterns;
    case ExtensionList::Ignore: break;
    }
    return settings_.IgnorePatterns;
}

std::int32_t& OptionsModel::colour(ColourSlot slot)
{
    switch (slot) {
    case ColourSlot::Own: return settings_.OwnColour;
    case ColourSlot::Others: return settings_.OthersColour;
    case ColourSlot::System: return settings_.SystemColour;
    case ColourSlot::Mention: return settings_.MentionColour;
    case ColourSlot::Action: break;
    }
    return settings_.ActionColour;
}

void OptionsModel::Create()
{
    platform::runReported(prompts_, [&] {
        files_.loadOptionsFiles(settings_);
        UseStandardSettingsChanged(server_.identity.useStandard);
        views_.RebuildServerViews(servers_);
        files_.loadProxyIni(settings_);
        files_.loadExtrasDat(settings_);
        files_.folder().reportReadErrors(settings_.Language);
    });
}

void OptionsModel::UseStandardSettingsChanged(bool set)
{
    server_.identity.UseStandardChanged(set, settings_);
}

void OptionsModel::ServerListClick(const std::string& name)
{
    for (std::size_t i = 0; i < servers_.entryCount(); ++i) {
        if (servers_.line(i, settings::ServerList::NameLine) != name)
            continue;
        const auto flag = [&](settings::ServerList::Line l) { return servers_.line(i, l) == settings::ServerList::TrueWord; };
        server_.Name = servers_.line(i, settings::ServerList::NameLine);
        server_.Host = servers_.line(i, settings::ServerList::HostLine);
        const std::string& port = servers_.line(i, settings::ServerList::PortLine);
        server_.Tls = port.starts_with('+');
        server_.Port = server_.Tls ? port.substr(1) : port;
        server_.AutoConnect = flag(settings::ServerList::AutoConnectLine);
        settings::Identity& id = server_.identity.values;
        id.Nick = servers_.line(i, settings::ServerList::NickLine);
        id.RealName = servers_.line(i, settings::ServerList::RealNameLine);
        id.Username = servers_.line(i, settings::ServerList::UsernameLine);
        id.Password = settings::DecodePassword(servers_.line(i, settings::ServerList::PasswordLine));
        id.Invisible = flag(settings::ServerList::InvisibleLine);
        id.Operator = flag(settings::ServerList::OperatorLine);
        id.ServerNotice = flag(settings::ServerList::ServerNoticeLine);
        id.Wallops = flag(settings::ServerList::WallopsLine);
        server_.Login = servers_.login(name);
        return;
    }
}

void OptionsModel::ServerSave()
{
    server_.identity.values.Nick = settings::removeSpaces(server_.identity.values.Nick);
    servers_.storeEntry(settings::ServerList::entryLines(profileOf(server_), server_.Port));
    servers_.storeLogin(server_.Name, server_.Login);
    writeServerList();
}

void OptionsModel::ServerDelete()
{
    servers_.deleteEntries(server_.Name);
    writeServerList();
}

// The views follow the list in memory even when the file could not be written, so
// that they never show entries the next successful write would not contain.
void OptionsModel::writeServerList()
{
    platform::runReported(prompts_, [&] { servers_.save(files_.folder()); });
    views_.RebuildServerViews(servers_);
}

void OptionsModel::FolderRuleSave()
{
    settings_.FolderRules.push_back({FolderExtension, FolderPath});
}

void OptionsModel::ExtensionSave(ExtensionList list)
{
    auto& items = patterns(list);
    const std::string& text = extensionField(list);
    const bool present =
        std::any_of(items.begin(), items.end(), [&](const std::string& item) { return sameIgnoringCase(item, text); });
    if (!present)
        items.push_back(text);
}

void OptionsModel::ExtensionDelete(ExtensionList list, int row)
{
    auto& items = patterns(list);
    if (row >= 0 && static_cast<std::size_t>(row) < items.size())
        items.erase(items.begin() + row);
}

void OptionsModel::LanguageClick(int index)
{
    settings_.Language = index == 0 ? settings::Language::English : settings::Language::German;
    if (ApplyLanguage)
        ApplyLanguage(settings_.Language);
}

bool OptionsModel::Close()
{
    return platform::runReported(prompts_, [&] { files_.saveOnOptionsClose(settings_); });
}

} // namespace pell::app
