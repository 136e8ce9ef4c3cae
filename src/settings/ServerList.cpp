#include "settings/ServerList.h"

#include "settings/PasswordScrambler.h"

#include <iterator>

namespace pell::settings {

bool ServerList::FindProfileByName(const std::string& name, ServerProfile& profile) const
{
    for (std::size_t i = 0; i < entryCount(); ++i) {
        if (line(i, NameLine) != name)
            continue;
        const auto flag = [&](Line l) { return line(i, l) == TrueWord; };
        profile.Name = line(i, NameLine);
        profile.Host = line(i, HostLine);
        profile.Port = ParseInt32(line(i, PortLine));
        profile.Tls = line(i, PortLine).starts_with('+');
        profile.AutoConnect = flag(AutoConnectLine);
        profile.Nick = line(i, NickLine);
        profile.RealName = line(i, RealNameLine);
        profile.Username = line(i, UsernameLine);
        profile.Password = DecodePassword(line(i, PasswordLine));
        profile.Invisible = flag(InvisibleLine);
        profile.Operator = flag(OperatorLine);
        profile.ServerNotice = flag(ServerNoticeLine);
        profile.Wallops = flag(WallopsLine);
        profile.Login = login(name);
        return true;
    }
    return false;
}

Lines ServerList::entryLines(const ServerProfile& profile, const std::string& portText)
{
    const auto word = [](bool value) { return value ? TrueWord : FalseWord; };
    return {
        profile.Name,
        profile.Host,
        portLine(portText, profile.Tls),
        word(profile.AutoConnect),
        removeSpaces(profile.Nick),
        profile.RealName,
        profile.Username,
        EncodePassword(profile.Password),
        word(profile.Invisible),
        word(profile.Operator),
        word(profile.ServerNotice),
        word(profile.Wallops),
    };
}

Lines ServerList::entryLines(const ServerProfile& profile)
{
    return entryLines(profile, FormatInt32(profile.Port));
}

std::string ServerList::portLine(const std::string& portText, bool tls)
{
    return tls && !portText.starts_with('+') ? "+" + portText : portText;
}

void ServerList::storeEntry(const Lines& entry)
{
    if (entry.size() != LinesPerEntry)
        return;
    for (std::size_t i = 0; i < entryCount(); ++i) {
        if (line(i, NameLine) == entry[NameLine]) {
            std::copy(entry.begin(), entry.end(), lines_.begin() + static_cast<std::ptrdiff_t>(i * LinesPerEntry));
            return;
        }
    }
    // An incomplete last entry (a file cut short) is filled up with empty lines first:
    // appended behind it, the new entry would sit off its twelve-line grid for good.
    lines_.resize(entryCount() * LinesPerEntry + (lines_.size() % LinesPerEntry ? LinesPerEntry : 0));
    lines_.insert(lines_.end(), entry.begin(), entry.end());
}

ServerLogin ServerList::login(const std::string& name) const
{
    for (std::size_t at = 0; at + LinesPerLogin <= logins_.size(); at += LinesPerLogin)
        if (logins_[at] == name)
            return {logins_[at + 1], logins_[at + 2], DecodePassword(logins_[at + 3]), logins_[at + 4],
                    logins_[at + 5] == TrueWord};
    return {};
}

void ServerList::storeLogin(const std::string& name, const ServerLogin& login)
{
    Lines kept;
    for (std::size_t at = 0; at + LinesPerLogin <= logins_.size(); at += LinesPerLogin)
        if (logins_[at] != name)
            kept.insert(kept.end(), logins_.begin() + static_cast<std::ptrdiff_t>(at),
                        logins_.begin() + static_cast<std::ptrdiff_t>(at + LinesPerLogin));
    if (!login.Mechanism.empty() || !login.Account.empty())
        kept.insert(kept.end(), {name, login.Mechanism, login.Account, EncodePassword(login.Password),
                                 login.Certificate, login.Required ? TrueWord : FalseWord});
    logins_ = std::move(kept);
}

void ServerList::deleteEntries(const std::string& name)
{
    storeLogin(name, {});
    std::size_t i = 0;
    while (i < entryCount()) {
        if (line(i, NameLine) == name) {
            const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(i * LinesPerEntry);
            lines_.erase(first, first + LinesPerEntry);
        } else {
            ++i;
        }
    }
}

bool ServerList::load(const SettingsFolder& folder)
{
    if (auto logins = folder.read(SettingsFile::Logins)) {
        logins_ = std::move(*logins);
        logins_.resize(logins_.size() / LinesPerLogin * LinesPerLogin); // a file cut short keeps whole logins
        loginsFile_ = true;
    }
    auto lines = folder.read(SettingsFile::SList);
    if (lines)
        lines_ = std::move(*lines);
    return lines.has_value();
}

void ServerList::save(const SettingsFolder& folder) const
{
    folder.write(SettingsFile::SList, lines_);
    if (!logins_.empty() || loginsFile_) {
        folder.write(SettingsFile::Logins, logins_);
        loginsFile_ = true;
    }
}

} // namespace pell::settings
