#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace pell::session {

// The folder logs go to: $XDG_DATA_HOME/pell-irc/logs/ (~/.local/share when unset),
// ending in "/".
std::string DefaultLogFolder();
// A file or folder name made of a name a server or a user chose: no "/", no control
// characters, never "." or "..", letters in lower case (a channel is one file whatever
// case it is written in), at most 100 bytes, never empty.
std::string SafeLogName(std::string_view name);

// Appends lines to the log files on a thread of its own, so a slow disk never holds the
// window. Files are <folder>/<network>/<channel>.log, made with mode 0600 in folders of
// mode 0700. A file that cannot be written is reported once and skipped.
class LogWriter {
public:
    explicit LogWriter(std::string folder);
    // Writes what is still queued, then stops.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues one line (without its line end) for the network's channel file.
    void Write(std::string_view network, std::string_view channel, std::string line);
    // Waits until every queued line is written.
    void Flush();
    // What went wrong since the last call, once per file.
    struct Failure {
        std::string Path;
        std::string Reason;
    };
    std::vector<Failure> TakeErrors();
    std::string PathOf(std::string_view network, std::string_view channel) const;

private:
    struct Entry {
        std::string Path;
        std::string Line;
    };

    void run();
    void append(const Entry& entry);
    void fail(const std::string& path, int error);

    const std::string folder_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Entry> queue_;
    bool stopping_ = false;
    bool writing_ = false;
    std::vector<Failure> errors_;
    // The writer thread's own: open files by path, and the paths already reported.
    std::map<std::string, int> files_;
    std::map<std::string, bool> failed_;
    std::thread thread_;
};

} // namespace pell::session
