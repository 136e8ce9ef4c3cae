#include "support/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pell::test {

ChildProcess::~ChildProcess()
{
    stop();
}

void ChildProcess::start(const std::vector<std::string>& argv, const std::string& logPath)
{
    stop();
    logPath_ = logPath;
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t test = getpid();
    pid_ = fork();
    if (pid_ == 0)
        watch(test, args, logPath);
    if (pid_ < 0)
        throw std::runtime_error("cannot start " + argv[0]);
}

// A server that drops its privileges loses a parent-death signal, so a small watcher
// stands between the test and the server: when the test dies, even by SIGKILL or a
// time-out, the watcher gets the signal and takes the server down with it.
[[noreturn]] void ChildProcess::watch(pid_t test, const std::vector<char*>& args, const std::string& logPath)
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGCHLD);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != test)
        _exit(1);
    const pid_t server = fork();
    if (server == 0) {
        sigprocmask(SIG_UNBLOCK, &signals, nullptr);
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, 1);
        dup2(log, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    int received = 0;
    sigwait(&signals, &received);
    if (received == SIGTERM)
        kill(server, SIGTERM);
    int status = 0;
    waitpid(server, &status, 0);
    _exit(0);
}

void ChildProcess::stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string ChildProcess::log() const
{
    std::ifstream in(logPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace pell::test
