#include "dcc/DownloadFolder.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pell::dcc {

namespace {

constexpr std::size_t MaxNameBytes = 255;

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string_view lastComponent(std::string_view name)
{
    const auto separator = name.find_last_of("/\\");
    return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

// Where the extension starts in a plain name; npos when it has none.
std::size_t extensionStart(std::string_view name)
{
    return name.rfind('.');
}

} // namespace

std::string ExtensionPattern(std::string_view fileName)
{
    const std::string_view name = lastComponent(fileName);
    const auto dot = extensionStart(name);
    return "*" + (dot == std::string_view::npos ? std::string() : lower(name.substr(dot)));
}

std::string DownloadFolderFor(std::string_view fileName, const DownloadRules& rules)
{
    const std::string pattern = ExtensionPattern(fileName);
    std::string result;
    for (const auto& rule : rules.Rules) {
        const std::string rulePattern = lower(rule.Pattern);
        if (rulePattern == pattern || rulePattern == "*.*")
            result = rule.Folder;
    }
    if (result.empty() || result == "Rootfolder")
        result = rules.DefaultFolder;
    std::filesystem::create_directories(result);
    if (result.back() != '/')
        result += '/';
    return result;
}

std::string SafeFileName(std::string_view offered)
{
    std::string name(lastComponent(offered));
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '_';
    if (name.find_first_not_of(' ') == std::string::npos || name == "." || name == "..")
        return "download";
    if (name.size() > MaxNameBytes) {
        const auto dot = extensionStart(name);
        // Keep a short extension; a long one is just part of the name.
        const std::string extension = dot != std::string::npos && name.size() - dot <= 32 ? name.substr(dot) : "";
        name = name.substr(0, MaxNameBytes - extension.size()) + extension;
    }
    return name;
}

std::string CountedName(std::string_view name, int counter)
{
    const auto dot = extensionStart(name);
    const std::string number = std::to_string(counter);
    if (dot == std::string_view::npos)
        return std::string(name) + number;
    return std::string(name.substr(0, dot)) + number + std::string(name.substr(dot));
}

std::optional<std::uint64_t> ResumableSize(const std::string& folder, const std::string& safeName,
                                           std::uint64_t offered)
{
    struct stat info {};
    if (::lstat((folder + safeName).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size == 0 || size >= offered)
        return std::nullopt;
    return size;
}

int OpenForResume(const std::string& folder, const std::string& safeName, std::uint64_t size, std::string& path)
{
    path = folder + safeName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), path);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || static_cast<std::uint64_t>(info.st_size) != size) {
        ::close(fd);
        throw std::system_error(ESTALE, std::generic_category(), path);
    }
    return fd;
}

int CreateDownloadFile(const std::string& folder, const std::string& safeName, std::string& path)
{
    for (int counter = -1; counter < 100000; ++counter) {
        std::string name = counter < 0 ? safeName : CountedName(safeName, counter);
        if (name.size() > MaxNameBytes) {
            // The counter made it too long: shorten the part before the extension.
            const auto dot = extensionStart(safeName);
            const std::size_t stemEnd = dot == std::string::npos ? safeName.size() : dot;
            const std::size_t over = name.size() - MaxNameBytes;
            name = CountedName(safeName.substr(0, stemEnd - std::min(over, stemEnd)) +
                                   (dot == std::string::npos ? "" : safeName.substr(dot)),
                               counter);
        }
        path = folder + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST && errno != ELOOP)
            throw std::system_error(errno, std::generic_category(), path);
    }
    throw std::system_error(EEXIST, std::generic_category(), folder + safeName);
}

} // namespace pell::dcc
