#include "settings/TemplateStore.h"

#include <algorithm>
#include <cctype>

namespace pell::settings {

std::vector<std::string> TemplateStore::names() const
{
    std::vector<std::string> result;
    for (std::size_t i = 1; i < lines_.size(); ++i)
        if (lines_[i - 1] == Marker)
            result.push_back(lines_[i]);
    return result;
}

std::vector<std::string> TemplateStore::sortedNames() const
{
    auto result = names();
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    std::stable_sort(result.begin(), result.end(), [&](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [&](char x, char y) { return lower(x) < lower(y); });
    });
    return result;
}

std::optional<std::size_t> TemplateStore::find(const std::string& name) const
{
    for (std::size_t i = 1; i < lines_.size(); ++i)
        if (lines_[i - 1] == Marker && lines_[i] == name)
            return i;
    return std::nullopt;
}

std::size_t TemplateStore::bodyEnd(std::size_t nameLine) const
{
    std::size_t end = nameLine + 1;
    while (end < lines_.size() && lines_[end] != Marker)
        ++end;
    return end;
}

std::optional<Lines> TemplateStore::body(const std::string& name) const
{
    const auto nameLine = find(name);
    if (!nameLine)
        return std::nullopt;
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(*nameLine + 1);
    const auto last = lines_.begin() + static_cast<std::ptrdiff_t>(bodyEnd(*nameLine));
    return Lines(first, last);
}

void TemplateStore::append(const std::string& name, const Lines& body)
{
    lines_.push_back(Marker);
    lines_.push_back(name);
    lines_.insert(lines_.end(), body.begin(), body.end());
}

bool TemplateStore::remove(const std::string& name)
{
    const auto nameLine = find(name);
    if (!nameLine)
        return false;
    // The marker before the name, the name and the body.
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(*nameLine - 1);
    const auto last = lines_.begin() + static_cast<std::ptrdiff_t>(bodyEnd(*nameLine));
    lines_.erase(first, last);
    return true;
}

bool TemplateStore::load(const SettingsFolder& folder)
{
    auto lines = folder.read(SettingsFile::Template);
    if (lines)
        lines_ = std::move(*lines);
    return lines.has_value();
}

void TemplateStore::save(const SettingsFolder& folder) const
{
    folder.write(SettingsFile::Template, lines_);
}

} // namespace pell::settings
