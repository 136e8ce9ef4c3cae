#include "settings/ProgramFolder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace pell::settings {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name)
{
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

bool nonEmpty(const std::optional<std::string>& value)
{
    return value && !value->empty();
}

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// Creates the missing folders of the path, each with mode 0700 (parents that exist
// keep theirs). Failures are left for the first save to report.
void createPrivateFolders(const fs::path& folder)
{
    fs::path current;
    for (const auto& part : folder) {
        current /= part;
        if (current.empty() || current == current.root_path())
            continue;
        if (::mkdir(current.c_str(), 0700) == 0)
            ::chmod(current.c_str(), 0700); // whatever the umask took away
    }
}

} // namespace

ProgramFolderSources currentProgramFolderSources()
{
    ProgramFolderSources sources;
    sources.pellIrcHome = environment("PELL_IRC_HOME");
    sources.xdgConfigHome = environment("XDG_CONFIG_HOME");
    sources.home = environment("HOME");
    std::error_code error;
    sources.executablePath = fs::read_symlink("/proc/self/exe", error).string();
    return sources;
}

std::string resolveProgramFolder(const ProgramFolderSources& sources)
{
    if (nonEmpty(sources.pellIrcHome)) {
        std::error_code error;
        fs::path folder = fs::absolute(*sources.pellIrcHome, error);
        if (error)
            folder = *sources.pellIrcHome;
        createPrivateFolders(folder.lexically_normal());
        return withSlash(folder.lexically_normal().string());
    }
    if (!sources.executablePath.empty()) {
        const fs::path folder = fs::path(sources.executablePath).parent_path();
        // An installed program sits in a bin folder, which may be writable (for root,
        // say) but is no place for settings.
        if (!folder.empty() && folder.filename() != "bin" && ::access(folder.c_str(), W_OK) == 0)
            return withSlash(folder.string());
    }
    fs::path config;
    if (nonEmpty(sources.xdgConfigHome) && fs::path(*sources.xdgConfigHome).is_absolute())
        config = *sources.xdgConfigHome;
    else if (nonEmpty(sources.home))
        config = fs::path(*sources.home) / ".config";
    else
        config = fs::current_path();
    const fs::path folder = (config / "pell-irc").lexically_normal();
    createPrivateFolders(folder);
    return withSlash(folder.string());
}

const std::string& ProgramFolder()
{
    static const std::string folder = resolveProgramFolder(currentProgramFolderSources());
    return folder;
}

std::string defaultDownloadFolder(const std::string& programFolder)
{
    return withSlash(programFolder) + "Downloads/";
}

} // namespace pell::settings
