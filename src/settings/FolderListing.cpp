#include "settings/FolderListing.h"

#include <algorithm>
#include <filesystem>

namespace pell::settings {

namespace fs = std::filesystem;

namespace {

bool isShownFolder(const fs::directory_entry& entry)
{
    std::error_code error;
    const std::string name = entry.path().filename().string();
    return !name.empty() && name[0] != '.' && entry.is_directory(error);
}

std::string lowered(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

template <typename Visit>
void forEachFolder(const std::string& folder, Visit visit)
{
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        if (isShownFolder(*it) && !visit(it->path().filename().string()))
            return;
    }
}

} // namespace

std::vector<std::string> subfolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    forEachFolder(folder, [&](std::string name) {
        names.push_back(std::move(name));
        return true;
    });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const auto la = lowered(a), lb = lowered(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

bool hasSubfolders(const std::string& folder)
{
    bool found = false;
    forEachFolder(folder, [&](const std::string&) {
        found = true;
        return false;
    });
    return found;
}

std::string childFolder(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace pell::settings
