#include "support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
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
    kill(pid_, SIGCONT); // a paused program must wake to end
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

void ChildProcess::pause(bool paused)
{
    if (pid_ > 0)
        kill(pid_, paused ? SIGSTOP : SIGCONT);
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

void LocalServer::launch(const std::vector<std::string>& argv, int milliseconds, const std::string& readyText)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    process_.start(argv, dir_ + "/" + program_ + ".log");
    bool ready = waitForPort(port_, milliseconds);
    while (ready && !readyText.empty() && process_.log().find(readyText) == std::string::npos) {
        ready = std::chrono::steady_clock::now() < deadline;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ready) {
        process_.stop();
        throw std::runtime_error(program_ + " did not start: " + process_.log());
    }
}

void LocalServer::writeConfig(const std::string& templateName, const std::string& target,
                              const std::vector<std::pair<std::string, std::string>>& values) const
{
    std::ifstream in(std::string(PELL_TEST_DATA) + "/servers/" + templateName);
    std::stringstream text;
    text << in.rdbuf();
    std::string config = text.str();
    if (config.empty())
        throw std::runtime_error("no template " + templateName);
    for (const auto& [key, value] : values)
        for (auto at = config.find(key); at != std::string::npos; at = config.find(key, at + value.size()))
            config.replace(at, key.size(), value);
    std::ofstream(target) << config;
}

std::vector<std::string> LocalServer::asUser(const std::string& user, std::vector<std::string> argv)
{
    if (geteuid() == 0)
        argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=" + user, "--regid=" + user, "--init-groups", "--"});
    return argv;
}

void LocalServer::giveFolderTo(const std::string& user) const
{
    const std::string command = "chown -R '" + user + "' '" + dir_ + "'";
    if (geteuid() == 0 && std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot hand " + dir_ + " to " + user);
}

} // namespace pell::test
