#include "settings/TrustedCertificates.h"

#include <algorithm>
#include <cctype>

namespace pell::settings {

namespace {

std::string hostKey(std::string host)
{
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host;
}

} // namespace

void TrustedCertificates::reload()
{
    if (!folder_)
        return;
    auto lines = folder_->read(SettingsFile::TrustedCerts);
    lines_ = lines ? std::move(*lines) : Lines{};
    // A file cut short keeps its whole entries.
    lines_.resize(lines_.size() / LinesPerEntry * LinesPerEntry);
}

std::string TrustedCertificates::Find(const std::string& host, int port)
{
    reload();
    const std::string key = hostKey(host);
    const std::string portText = std::to_string(port);
    for (std::size_t i = 0; i + LinesPerEntry <= lines_.size(); i += LinesPerEntry)
        if (hostKey(lines_[i]) == key && lines_[i + 1] == portText)
            return lines_[i + 2];
    return {};
}

void TrustedCertificates::Trust(const std::string& host, int port, const std::string& sha256)
{
    reload();
    const std::string key = hostKey(host);
    const std::string portText = std::to_string(port);
    Lines kept;
    for (std::size_t i = 0; i + LinesPerEntry <= lines_.size(); i += LinesPerEntry)
        if (hostKey(lines_[i]) != key || lines_[i + 1] != portText)
            kept.insert(kept.end(), lines_.begin() + static_cast<std::ptrdiff_t>(i),
                        lines_.begin() + static_cast<std::ptrdiff_t>(i + LinesPerEntry));
    kept.insert(kept.end(), {key, portText, sha256});
    lines_ = std::move(kept);
    if (folder_)
        folder_->write(SettingsFile::TrustedCerts, lines_);
}

} // namespace pell::settings
