#include "app/ShellRegistration.h"

#include "settings/SettingsError.h"
#include "settings/SettingsFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace pell::app {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view IrcScheme = "x-scheme-handler/irc";
constexpr std::string_view IrcsScheme = "x-scheme-handler/ircs";
constexpr std::string_view DefaultsSection = "[Default Applications]";

std::string folderOf(const std::optional<std::string>& value, const std::string& fallback)
{
    return value && !value->empty() && value->front() == '/' ? *value : fallback;
}

// Quoted as desktop entries want an Exec argument: in double quotes, with '"', '`', '$'
// and '\' escaped, and '%' doubled since Exec gives it a meaning of its own.
std::string execArgument(const std::string& path)
{
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    return quoted + "\"";
}

// Other text in an entry: backslashes doubled, as the format reads escapes.
std::string entryValue(const std::string& text)
{
    std::string value;
    for (char c : text)
        value += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return value;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first, last - first + 1));
}

using Problem = RegistrationError::Problem;

void makeFolders(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw RegistrationError(Problem::FolderNotMade, folder.string(), error.message());
}

// A symbolic link (a dotfile manager's, say) stays one: its target is written.
fs::path followed(const fs::path& path)
{
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? path : target;
}

// What the file holds; nothing when there is no file. A file that is there but cannot
// be read, or a link whose file is missing, stops the registration before anything is
// written over it.
std::optional<std::string> readAll(const fs::path& path)
{
    std::error_code error;
    const fs::file_status link = fs::symlink_status(path, error);
    if (!fs::exists(link))
        return std::nullopt;
    const fs::file_status target = fs::status(path, error);
    if (fs::is_symlink(link) && !fs::exists(target))
        throw RegistrationError(Problem::DanglingLink, path.string());
    // Not opened unless it is a plain file: a pipe would hold the start-up.
    if (!fs::is_regular_file(target))
        throw RegistrationError(Problem::Unreadable, path.string());
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    const int openError = errno;
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    if (!in || in.bad())
        throw RegistrationError(Problem::Unreadable, path.string(),
                                std::error_code(openError ? openError : EIO, std::generic_category()).message());
    return text.str();
}

// Every start registers: a file that already holds the bytes is left alone. Returns
// whether the file was written.
bool writeIfChanged(const fs::path& path, std::string_view bytes, const std::optional<std::string>& current)
{
    if (current == bytes)
        return false;
    struct stat status {};
    const unsigned mode = ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0644;
    try {
        settings::writeFileAtomically(path.string(), bytes, mode);
    } catch (const settings::FileWriteError& error) {
        // Its text is 'Cannot create file "PATH". REASON': the reason is what the user needs.
        const std::string text = error.what();
        const std::string lead = "Cannot create file \"" + path.string() + "\". ";
        throw RegistrationError(Problem::WriteFailed, path.string(),
                                text.starts_with(lead) ? text.substr(lead.size()) : text);
    }
    return true;
}

bool writeIfChanged(const fs::path& path, std::string_view bytes)
{
    return writeIfChanged(path, bytes, readAll(path));
}

// Runs a desktop tool when it is installed; its outcome does not matter.
void runIfPresent(const char* tool, const std::string& argument)
{
    std::vector<char*> argv{const_cast<char*>(tool), const_cast<char*>(argument.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    if (posix_spawnp(&child, tool, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace

RegistrationError::RegistrationError(Problem problem, std::string path, std::string detail)
    : std::runtime_error(path + ": " + detail), problem_(problem), path_(std::move(path)), detail_(std::move(detail))
{
}

std::string RegistrationError::Message(settings::Language language) const
{
    const bool german = language == settings::Language::German;
    switch (problem_) {
    case Problem::FolderNotMade:
        return german ? "Der Ordner " + path_ + " kann nicht angelegt werden: " + detail_
                      : "Cannot create the folder " + path_ + ": " + detail_;
    case Problem::Unreadable: {
        const std::string why = detail_.empty() ? "" : " (" + detail_ + ")";
        return german ? path_ + " ist vorhanden, kann aber nicht gelesen werden" + why +
                            ". Die Datei bleibt, wie sie ist; irc://-Links werden nicht mit Pell-IRC verknüpft."
                      : path_ + " is there but cannot be read" + why +
                            ". It is left as it is; irc:// links are not handed to Pell-IRC.";
    }
    case Problem::DanglingLink:
        return german ? path_ + " verweist auf eine Datei, die es nicht gibt. Der Verweis bleibt, wie er ist; "
                                "irc://-Links werden nicht mit Pell-IRC verknüpft."
                      : path_ + " is a link to a file that is not there. The link is left as it is; irc:// links "
                                "are not handed to Pell-IRC.";
    case Problem::ProgramPath:
        return german ? "Der Pfad des Programms ist nicht bekannt (\"" + path_ +
                            "\"), daher werden irc://-Links nicht mit Pell-IRC verknüpft."
                      : "The program's own path is not known (\"" + path_ +
                            "\"), so irc:// links are not handed to Pell-IRC.";
    case Problem::WriteFailed:
        break;
    }
    return german ? path_ + " kann nicht geschrieben werden: " + detail_
                  : "Cannot write " + path_ + ": " + detail_;
}

XdgFolders xdgFolders(const std::optional<std::string>& dataHome, const std::optional<std::string>& configHome,
                      const std::string& home)
{
    return {folderOf(dataHome, home + "/.local/share"), folderOf(configHome, home + "/.config")};
}

XdgFolders xdgFolders()
{
    auto value = [](const char* name) -> std::optional<std::string> {
        const char* text = std::getenv(name);
        return text ? std::optional<std::string>(text) : std::nullopt;
    };
    const char* home = std::getenv("HOME");
    return xdgFolders(value("XDG_DATA_HOME"), value("XDG_CONFIG_HOME"), home && *home ? home : "/");
}

std::string DesktopEntry(const std::string& programPath, const std::string& iconPath)
{
    for (const std::string* text : {&programPath, &iconPath})
        if (text->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            throw RegistrationError(Problem::ProgramPath, *text);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Pell-IRC\n"
           "GenericName=IRC Client\n"
           "Comment=Chat on IRC networks\n"
           "Exec=" + entryValue(execArgument(programPath)) + " /m %u\n"
           "Icon=" + entryValue(iconPath) + "\n"
           "Terminal=false\n"
           "Categories=Network;Chat;IRCClient;\n"
           "MimeType=x-scheme-handler/irc;x-scheme-handler/ircs;\n";
}

std::string WithIrcHandler(std::string_view mimeapps)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < mimeapps.size();) {
        const auto end = std::min(mimeapps.find('\n', at), mimeapps.size());
        lines.emplace_back(mimeapps.substr(at, end - at));
        at = end + 1;
    }
    auto header = std::find_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return trimmed(line) == DefaultsSection; });
    if (header == lines.end()) {
        if (!lines.empty() && !trimmed(lines.back()).empty())
            lines.emplace_back();
        lines.emplace_back(DefaultsSection);
        header = lines.end() - 1;
    }
    const auto first = static_cast<std::size_t>(header - lines.begin()) + 1;
    // ircs first, so that both land in the order irc, ircs when neither was there.
    for (const std::string_view scheme : {IrcsScheme, IrcScheme}) {
        const std::string handler = std::string(scheme) + "=" + std::string(DesktopFileName);
        bool replaced = false;
        for (std::size_t line = first; line < lines.size() && trimmed(lines[line]).rfind('[', 0) != 0; ++line) {
            if (trimmed(lines[line].substr(0, lines[line].find('='))) == scheme) {
                lines[line] = handler;
                replaced = true;
            }
        }
        if (!replaced)
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(first), handler);
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

void RegisterIrcHandler(const XdgFolders& folders, const std::string& programPath, std::string_view iconSvg)
{
    // Without a full path the entry would start nothing, or whatever the shell finds.
    if (programPath.empty() || programPath.front() != '/')
        throw RegistrationError(Problem::ProgramPath, programPath);
    const fs::path icons = fs::path(folders.dataHome) / "icons/hicolor/scalable/apps";
    const fs::path applications = fs::path(folders.dataHome) / "applications";
    const fs::path icon = icons / "pell-irc.svg";
    makeFolders(icons);
    writeIfChanged(icon, iconSvg);
    makeFolders(applications);
    const bool newEntry = writeIfChanged(applications / DesktopFileName, DesktopEntry(programPath, icon.string()));
    makeFolders(folders.configHome);
    const fs::path mimeapps = followed(fs::path(folders.configHome) / "mimeapps.list");
    const std::optional<std::string> handlers = readAll(mimeapps);
    writeIfChanged(mimeapps, WithIrcHandler(handlers.value_or("")), handlers);
    // The desktop's cache only needs telling when the entry itself changed.
    if (newEntry)
        runIfPresent("update-desktop-database", applications.string());
}

} // namespace pell::app
