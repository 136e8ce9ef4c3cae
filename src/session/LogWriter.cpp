#include "session/LogWriter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pell::session {

namespace {

constexpr std::size_t LongestName = 100;
// Files kept open at once; the oldest path is closed beyond this.
constexpr std::size_t OpenFiles = 32;

std::string systemText(int error)
{
    char buffer[256];
    return strerror_r(error, buffer, sizeof buffer);
}

// Every missing folder of the path, each with mode 0700.
bool makeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

std::string DefaultLogFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] == '/' ? home : "/tmp") + "/.local/share";
    }
    if (base.back() != '/')
        base += '/';
    return base + "pell-irc/logs/";
}

std::string SafeLogName(std::string_view name)
{
    std::string safe;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '/' || c == '\\')
            safe += '_';
        else if (c >= 'A' && c <= 'Z')
            safe += static_cast<char>(c - 'A' + 'a');
        else
            safe += c;
    }
    // A cut must not leave half a UTF-8 character.
    if (safe.size() > LongestName) {
        std::size_t cut = LongestName;
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80)
            --cut;
        safe.resize(cut);
    }
    if (safe.empty() || safe.front() == '.')
        safe.insert(safe.begin(), '_');
    return safe;
}

LogWriter::LogWriter(std::string folder) : folder_(std::move(folder)), thread_([this] { run(); }) {}

LogWriter::~LogWriter()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    for (const auto& [path, fd] : files_)
        ::close(fd);
}

std::string LogWriter::PathOf(std::string_view network, std::string_view channel) const
{
    return folder_ + SafeLogName(network) + "/" + SafeLogName(channel) + ".log";
}

void LogWriter::Write(std::string_view network, std::string_view channel, std::string line)
{
    for (char& c : line)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    line += '\n';
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(Entry{PathOf(network, channel), std::move(line)});
    }
    wake_.notify_one();
}

void LogWriter::Flush()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !writing_; });
}

std::vector<LogWriter::Failure> LogWriter::TakeErrors()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(errors_, {});
}

void LogWriter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty() && stopping_)
            return;
        std::deque<Entry> batch = std::exchange(queue_, {});
        writing_ = true;
        lock.unlock();
        for (const Entry& entry : batch)
            append(entry);
        lock.lock();
        writing_ = false;
        if (queue_.empty())
            idle_.notify_all();
    }
}

void LogWriter::append(const Entry& entry)
{
    auto found = files_.find(entry.Path);
    if (found == files_.end()) {
        if (failed_.count(entry.Path))
            return;
        if (!makeFolders(entry.Path))
            return fail(entry.Path, errno);
        const int fd = ::open(entry.Path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return fail(entry.Path, errno);
        if (files_.size() >= OpenFiles) {
            ::close(files_.begin()->second);
            files_.erase(files_.begin());
        }
        found = files_.emplace(entry.Path, fd).first;
    }
    std::size_t written = 0;
    while (written < entry.Line.size()) {
        const ssize_t result = ::write(found->second, entry.Line.data() + written, entry.Line.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0) {
            ::close(found->second);
            files_.erase(found);
            return fail(entry.Path, result < 0 ? errno : ENOSPC);
        }
        written += static_cast<std::size_t>(result);
    }
}

void LogWriter::fail(const std::string& path, int error)
{
    failed_[path] = true;
    const std::lock_guard lock(mutex_);
    errors_.push_back(Failure{path, systemText(error)});
}

} // namespace pell::session
