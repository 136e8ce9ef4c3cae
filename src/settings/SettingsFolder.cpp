#include "settings/SettingsFolder.h"

#include "settings/SettingsError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pell::settings {

namespace testing {
std::function<bool(std::size_t written)> afterWriteChunk;
}

namespace {

struct FileInfo {
    SettingsFile file;
    std::string_view name;
    bool passwords;
};

constexpr std::array<FileInfo, 12> Files{{
    {SettingsFile::SettingsIni, "settings.ini", true},
    {SettingsFile::SList, "SList.dat", true},
    {SettingsFile::Proxy, "Proxy.ini", true},
    {SettingsFile::Folders, "Folders.dat", false},
    {SettingsFile::Accept, "Accept.dat", false},
    {SettingsFile::Disable, "Disable.dat", false},
    {SettingsFile::Ignore, "Ignore.dat", false},
    {SettingsFile::Color, "Color.dat", false},
    {SettingsFile::Template, "Template.dat", false},
    {SettingsFile::Extras, "Extras.dat", false},
    {SettingsFile::TrustedCerts, "TrustedCerts.dat", true},
    {SettingsFile::Logins, "Logins.dat", true},
}};

const FileInfo& info(SettingsFile file)
{
    return Files[static_cast<std::size_t>(file)];
}

std::string systemText(int errorNumber)
{
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    return strerror_r(errorNumber, buffer, sizeof buffer);
}

// Closes the descriptor and removes the temporary file unless released.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }
    void release() { path_.clear(); }

private:
    int fd_;
    std::string path_;
};

} // namespace

std::string_view fileName(SettingsFile file)
{
    return info(file).name;
}

bool holdsPasswords(SettingsFile file)
{
    return info(file).passwords;
}

void writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode)
{
    std::string pattern = path + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC); // created with mode 0600
    if (fd < 0)
        throw FileWriteError(path, systemText(errno));
    TemporaryFile temporary(fd, pattern);
    if (::fchmod(fd, mode) != 0)
        throw FileWriteError(path, systemText(errno));

    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t chunk = std::min(testing::WriteChunkSize, bytes.size() - written);
        const ssize_t result = ::write(fd, bytes.data() + written, chunk);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            throw FileWriteError(path, systemText(errno));
        }
        written += static_cast<std::size_t>(result);
        if (testing::afterWriteChunk && !testing::afterWriteChunk(written))
            throw FileWriteError(path, systemText(ENOSPC));
    }
    if (::fsync(fd) != 0 || temporary.close() != 0)
        throw FileWriteError(path, systemText(errno));
    if (::rename(temporary.path().c_str(), path.c_str()) != 0)
        throw FileWriteError(path, systemText(errno));
    temporary.release();
}

SettingsFolder::SettingsFolder(std::string folder) : folder_(std::move(folder))
{
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
}

std::string SettingsFolder::pathOf(SettingsFile file) const
{
    return folder_ + std::string(fileName(file));
}

std::optional<Lines> SettingsFolder::read(SettingsFile file) const
{
    const std::string path = pathOf(file);
    failures_->known.insert(file);
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT)
        return std::nullopt;
    std::string text;
    int error = S_ISDIR(status.st_mode) ? EISDIR : 0;
    if (error == 0) {
        std::ifstream in(path, std::ios::binary);
        error = in ? 0 : errno ? errno : EACCES;
        if (in)
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad())
            error = EIO;
    }
    if (error != 0) {
        if (failures_->reasons.emplace(file, systemText(error)).second)
            failures_->unreported.emplace_back(
                "Cannot read file \"" + path + "\". " + systemText(error) + ". It is left as it is until the program ends.",
                "Die Datei \"" + path + "\" kann nicht gelesen werden. " + systemText(error) +
                    ". Sie bleibt bis zum Programmende, wie sie ist.");
        return std::nullopt;
    }
    if (text.find('\0') != std::string::npos && failures_->reasons.emplace(file, "it holds a NUL byte").second)
        failures_->unreported.emplace_back(
            "File \"" + path + "\" holds a NUL byte: only what stands before it is read, and the file is left as it "
            "is until the program ends.",
            "Die Datei \"" + path + "\" enthält ein NUL-Byte: nur was davor steht wird gelesen, und die Datei bleibt "
            "bis zum Programmende, wie sie ist.");
    return parseLines(text);
}

void SettingsFolder::reportReadErrors(Language language) const
{
    std::string text;
    for (const auto& [english, german] : std::exchange(failures_->unreported, {}))
        text += (text.empty() ? "" : "\n") + (language == Language::German ? german : english);
    if (!text.empty())
        throw SettingsError(text);
}

std::optional<std::string> SettingsFolder::readFailure(SettingsFile file) const
{
    const auto found = failures_->reasons.find(file);
    return found == failures_->reasons.end() ? std::nullopt : std::optional<std::string>(found->second);
}

void SettingsFolder::write(SettingsFile file, const Lines& lines) const
{
    if (failures_->reasons.count(file))
        return;
    struct stat status {};
    if (!failures_->known.count(file) && ::lstat(pathOf(file).c_str(), &status) == 0)
        throw FileWriteError(pathOf(file), "It was not read in this run and is left as it is");
    for (const auto& line : lines)
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            throw SettingsError("Cannot save \"" + pathOf(file) +
                                "\": a value holds a line break or a NUL byte, which would move every later "
                                "line of the file. Remove it and save again.");
    const unsigned mode = holdsPasswords(file) ? 0600 : 0644;
    writeFileAtomically(pathOf(file), joinLines(lines), mode);
    failures_->known.insert(file);
}

} // namespace pell::settings
