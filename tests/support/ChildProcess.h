#pragma once

#include "support/Loopback.h"

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace pell::test {

// A program started for one test with its output in a log file, stopped by its own
// process id (never by name) when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is the program path; stdout and stderr go to logPath.
    void start(const std::vector<std::string>& argv, const std::string& logPath);
    void stop();
    // Stops the program where it is (it reads nothing meanwhile), or lets it go on.
    void pause(bool paused);
    bool running() const { return pid_ > 0; }
    std::string log() const;

private:
    pid_t pid_ = -1;
    std::string logPath_;
};

// A server program on 127.0.0.1 with a folder of its own below /tmp (readable by
// everyone: servers drop to user nobody); process and folder go with the object.
class LocalServer {
public:
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    int port() const { return port_; }
    bool running() const { return process_.running(); }
    void pause(bool paused) { process_.pause(paused); }
    // What the server printed, for failure messages.
    std::string log() const { return process_.log(); }

protected:
    // A port of 0 picks a free one.
    explicit LocalServer(const std::string& program, int port = 0);
    ~LocalServer();
    // Starts the program and waits until it accepts (and, when readyText is given, until
    // its output shows that text); throws with its output if it does not.
    void launch(const std::vector<std::string>& argv, int milliseconds = 5000,
                const std::string& readyText = {});
    // Copies a configuration template from tests/data, replacing each "@KEY@" by its value.
    void writeConfig(const std::string& templateName, const std::string& target,
                     const std::vector<std::pair<std::string, std::string>>& values) const;
    // The command line that runs argv as that user when the test runs as root.
    static std::vector<std::string> asUser(const std::string& user, std::vector<std::string> argv);
    // Hands the folder to a server that must not run as root (irc, say).
    void giveFolderTo(const std::string& user) const;

    std::string program_;
    std::string dir_;
    int port_ = 0;

private:
    ChildProcess process_;
};

} // namespace pell::test
