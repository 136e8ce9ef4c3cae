#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace pell::test {

// A program started for one test with its output in a log file, stopped by its own
// process id (never by name) when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is the program path; stdout and stderr go to logPath.
    void start(const std::vector<std::string>& argv, const std::string& logPath);
    void stop();
    bool running() const { return pid_ > 0; }
    std::string log() const;

private:
    [[noreturn]] static void watch(pid_t test, const std::vector<char*>& args, const std::string& logPath);

    pid_t pid_ = -1;
    std::string logPath_;
};

} // namespace pell::test
