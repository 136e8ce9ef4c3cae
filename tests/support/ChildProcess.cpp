#include "support/ChildProcess.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pell::test {

namespace {

// A server that drops its privileges loses a parent-death signal, so a small watcher
// stands between the test and the server: when the test dies, even by SIGKILL or a
// time-out, the watcher gets the signal and takes the server down with it.
[[noreturn]] void watch(pid_t test, const std::vector<char*>& args, const std::string& logPath)
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

} // namespace

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

LocalServer::LocalServer(const std::string& program, int port) : program_(program), port_(port > 0 ? port : freePort())
{
    dir_ = "/tmp/pell-" + program + "-XXXXXX";
    if (!mkdtemp(dir_.data()))
        throw std::runtime_error("cannot make a temporary folder");
    chmod(dir_.c_str(), 0755);
}

LocalServer::~LocalServer()
{
    process_.stop();
    const std::string command = "rm -rf '" + dir_ + "'";
    [[maybe_unused]] const int rc = std::system(command.c_str());
}

void LocalServer::launch(const std::vector<std::string>& argv, int milliseconds)
{
    process_.start(argv, dir_ + "/" + program_ + ".log");
    if (!waitForPort(port_, milliseconds)) {
        process_.stop();
        throw std::runtime_error(program_ + " did not start: " + process_.log());
    }
}

} // namespace pell::test
