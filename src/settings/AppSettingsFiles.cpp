#include "settings/AppSettingsFiles.h"

#include "settings/PasswordScrambler.h"

namespace pell::settings {

namespace {

// Reads lines by number; a line the file does not have is skipped.
class LineReader {
public:
    explicit LineReader(const Lines& lines) : lines_(lines) {}

    void text(std::size_t index, std::string& field) const
    {
        if (index < lines_.size())
            field = lines_[index];
    }
    void password(std::size_t index, std::string& field) const
    {
        if (index < lines_.size())
            field = DecodePassword(lines_[index]);
    }
    void flag(std::size_t index, const char* trueWord, bool& field) const
    {
        if (index < lines_.size())
            field = lines_[index] == trueWord;
    }
    void number(std::size_t index, std::int32_t& field) const
    {
        if (index < lines_.size())
            field = ParseInt32(lines_[index]);
    }
    void language(std::size_t index, Language& field) const
    {
        if (index < lines_.size())
            field = ParseInt32(lines_[index]) == 0 ? Language::English : Language::German;
    }
    // A number outside the list reads as automatic.
    void offerAddress(std::size_t index, OfferAddress& field) const
    {
        if (index >= lines_.size())
            return;
        const std::int32_t value = ParseInt32(lines_[index]);
        field = value >= 0 && value <= 2 ? static_cast<OfferAddress>(value) : OfferAddress::Automatic;
    }
    // A number outside the list reads as never chosen.
    void proxyType(std::size_t index, ProxyType& field) const
    {
        if (index >= lines_.size())
            return;
        const std::int32_t value = ParseInt32(lines_[index]);
        field = value >= 0 && value <= 3 ? static_cast<ProxyType>(value) : ProxyType::NotChosen;
    }

private:
    const Lines& lines_;
};

const char* word(bool value, const char* trueWord, const char* falseWord)
{
    return value ? trueWord : falseWord;
}

} // namespace

void applySettingsIni(AppSettings& settings, const Lines& lines)
{
    const LineReader in(lines);
    in.text(0, settings.Nick);
    in.text(1, settings.RealName);
    in.text(2, settings.Username);
    in.password(3, settings.Password);
    in.flag(4, SettingsIniTrue, settings.Invisible);
    in.flag(5, SettingsIniTrue, settings.Operator);
    in.flag(6, SettingsIniTrue, settings.ServerNotice);
    in.flag(7, SettingsIniTrue, settings.Wallops);
    in.flag(8, SettingsIniTrue, settings.FlashOnMessage);
}

Lines settingsIniLines(const AppSettings& settings)
{
    return {
        removeSpaces(settings.Nick),
        settings.RealName,
        settings.Username,
        EncodePassword(settings.Password),
        word(settings.Invisible, SettingsIniTrue, SettingsIniFalse),
        word(settings.Operator, SettingsIniTrue, SettingsIniFalse),
        word(settings.ServerNotice, SettingsIniTrue, SettingsIniFalse),
        word(settings.Wallops, SettingsIniTrue, SettingsIniFalse),
        word(settings.FlashOnMessage, SettingsIniTrue, SettingsIniFalse),
    };
}

void applyProxyIni(AppSettings& settings, const Lines& lines)
{
    const LineReader in(lines);
    in.text(0, settings.ProxyHost);
    in.text(1, settings.ProxyPort);
    in.password(2, settings.ProxyUser);
    in.password(3, settings.ProxyPassword);
    in.flag(4, ProxyIniTrue, settings.ProxyNeedsAuth);
    in.proxyType(5, settings.ProxyType);
}

Lines proxyIniLines(const AppSettings& settings)
{
    return {
        settings.ProxyHost,
        settings.ProxyPort,
        EncodePassword(settings.ProxyUser),
        EncodePassword(settings.ProxyPassword),
        word(settings.ProxyNeedsAuth, ProxyIniTrue, ProxyIniFalse),
        FormatInt32(static_cast<int>(settings.ProxyType)),
    };
}

void applyColorDat(AppSettings& settings, const Lines& lines)
{
    const LineReader in(lines);
    in.number(0, settings.OwnColour);
    in.number(1, settings.OthersColour);
    in.number(2, settings.SystemColour);
    in.number(3, settings.ActionColour);
    in.text(4, settings.ScriptDelay);
    in.language(5, settings.Language);
}

Lines colorDatLines(const AppSettings& settings)
{
    return {
        FormatInt32(settings.OwnColour),
        FormatInt32(settings.OthersColour),
        FormatInt32(settings.SystemColour),
        FormatInt32(settings.ActionColour),
        settings.ScriptDelay,
        FormatInt32(static_cast<int>(settings.Language)),
    };
}

void applyExtrasDat(AppSettings& settings, const Lines& lines)
{
    const LineReader in(lines);
    in.flag(0, SettingsIniTrue, settings.HighlightMentions);
    in.flag(1, SettingsIniTrue, settings.NotifyMentions);
    in.number(2, settings.MentionColour);
    in.text(3, settings.MentionWords);
    in.flag(4, SettingsIniTrue, settings.AutoReconnect);
    in.flag(5, SettingsIniTrue, settings.TimeStamps);
    in.flag(6, SettingsIniTrue, settings.WriteLogs);
    in.offerAddress(7, settings.OfferAddress);
    in.text(8, settings.TypedOfferAddress);
    in.text(9, settings.FirstDccPort);
    in.text(10, settings.LastDccPort);
    in.flag(11, SettingsIniTrue, settings.OfferFilesPassively);
}

Lines extrasDatLines(const AppSettings& settings)
{
    return {
        word(settings.HighlightMentions, SettingsIniTrue, SettingsIniFalse),
        word(settings.NotifyMentions, SettingsIniTrue, SettingsIniFalse),
        FormatInt32(settings.MentionColour),
        settings.MentionWords,
        word(settings.AutoReconnect, SettingsIniTrue, SettingsIniFalse),
        word(settings.TimeStamps, SettingsIniTrue, SettingsIniFalse),
        word(settings.WriteLogs, SettingsIniTrue, SettingsIniFalse),
        FormatInt32(static_cast<std::int32_t>(settings.OfferAddress)),
        settings.TypedOfferAddress,
        settings.FirstDccPort,
        settings.LastDccPort,
        word(settings.OfferFilesPassively, SettingsIniTrue, SettingsIniFalse),
    };
}

void applyFoldersDat(AppSettings& settings, const Lines& lines)
{
    // The file's rules replace the default one; added in front at every start, the
    // default would be saved again each time and the file grow by a rule per run. A
    // file without rules keeps the default. Downloads land where they did either way:
    // a name no rule matches goes to the download folder too.
    if (lines.size() >= 2)
        settings.FolderRules.clear();
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        settings.FolderRules.push_back({lines[i], lines[i + 1]});
}

Lines foldersDatLines(const AppSettings& settings)
{
    Lines lines;
    lines.reserve(settings.FolderRules.size() * 2);
    for (const auto& rule : settings.FolderRules) {
        lines.push_back(rule.Pattern);
        lines.push_back(rule.Folder);
    }
    return lines;
}

bool AppSettingsFiles::loadSettingsIni(AppSettings& settings) const
{
    const auto lines = folder_.read(SettingsFile::SettingsIni);
    if (lines)
        applySettingsIni(settings, *lines);
    return lines.has_value();
}

bool AppSettingsFiles::loadProxyIni(AppSettings& settings) const
{
    const auto lines = folder_.read(SettingsFile::Proxy);
    if (lines)
        applyProxyIni(settings, *lines);
    return lines.has_value();
}

bool AppSettingsFiles::loadColorDat(AppSettings& settings) const
{
    const auto lines = folder_.read(SettingsFile::Color);
    if (lines)
        applyColorDat(settings, *lines);
    return lines.has_value();
}

bool AppSettingsFiles::loadFoldersDat(AppSettings& settings) const
{
    const auto lines = folder_.read(SettingsFile::Folders);
    if (lines)
        applyFoldersDat(settings, *lines);
    return lines.has_value();
}

bool AppSettingsFiles::loadExtrasDat(AppSettings& settings) const
{
    const auto lines = folder_.read(SettingsFile::Extras);
    if (lines)
        applyExtrasDat(settings, *lines);
    return lines.has_value();
}

bool AppSettingsFiles::loadPatterns(SettingsFile file, std::vector<std::string>& patterns) const
{
    auto lines = folder_.read(file);
    if (lines)
        patterns = std::move(*lines);
    return lines.has_value();
}

bool AppSettingsFiles::loadAcceptDat(AppSettings& settings) const
{
    return loadPatterns(SettingsFile::Accept, settings.AcceptPatterns);
}

bool AppSettingsFiles::loadDisableDat(AppSettings& settings) const
{
    return loadPatterns(SettingsFile::Disable, settings.DisablePatterns);
}

bool AppSettingsFiles::loadIgnoreDat(AppSettings& settings) const
{
    return loadPatterns(SettingsFile::Ignore, settings.IgnorePatterns);
}

void AppSettingsFiles::saveSettingsIni(const AppSettings& settings) const
{
    folder_.write(SettingsFile::SettingsIni, settingsIniLines(settings));
}

void AppSettingsFiles::saveProxyIni(const AppSettings& settings) const
{
    folder_.write(SettingsFile::Proxy, proxyIniLines(settings));
}

void AppSettingsFiles::saveColorDat(const AppSettings& settings) const
{
    folder_.write(SettingsFile::Color, colorDatLines(settings));
}

void AppSettingsFiles::saveFoldersDat(const AppSettings& settings) const
{
    folder_.write(SettingsFile::Folders, foldersDatLines(settings));
}

void AppSettingsFiles::saveAcceptDat(const AppSettings& settings) const
{
    folder_.write(SettingsFile::Accept, settings.AcceptPatterns);
}

void AppSettingsFiles::saveDisableDat(const AppSettings& settings) const
{
    folder_.write(SettingsFile::Disable, settings.DisablePatterns);
}

void AppSettingsFiles::saveIgnoreDat(const AppSettings& settings) const
{
    folder_.write(SettingsFile::Ignore, settings.IgnorePatterns);
}

void AppSettingsFiles::saveExtrasDat(const AppSettings& settings) const
{
    folder_.write(SettingsFile::Extras, extrasDatLines(settings));
}

void AppSettingsFiles::loadOptionsFiles(AppSettings& settings) const
{
    loadFoldersDat(settings);
    loadAcceptDat(settings);
    loadDisableDat(settings);
    loadIgnoreDat(settings);
    loadSettingsIni(settings);
}

void AppSettingsFiles::saveOnOptionsClose(AppSettings& settings) const
{
    settings.Nick = removeSpaces(settings.Nick);
    saveAcceptDat(settings);
    saveDisableDat(settings);
    saveIgnoreDat(settings);
    saveFoldersDat(settings);
    saveColorDat(settings);
    saveSettingsIni(settings);
    saveProxyIni(settings);
    saveExtrasDat(settings);
}

} // namespace pell::settings
