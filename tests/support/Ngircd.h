#pragma once

#include "support/ChildProcess.h"

#include <string>

namespace pell::test {

// A real ngircd on 127.0.0.1 and a free port, started in the foreground for one test
// and stopped by its process id when the object goes.
class Ngircd {
public:
    struct Options {
        std::string password; // server password; empty for none
        int port = 0;         // 0 picks a free one (a restart passes the old one)
    };

    Ngircd() : Ngircd(Options{}) {}
    explicit Ngircd(const Options& options);
    ~Ngircd();
    Ngircd(const Ngircd&) = delete;
    Ngircd& operator=(const Ngircd&) = delete;

    int port() const { return port_; }
    const std::string& name() const { return name_; }
    bool running() const { return process_.running(); }
    // What the server printed, for failure messages.
    std::string log() const;

private:
    void stop();

    std::string dir_;
    std::string name_ = "irc.pell.test";
    int port_ = 0;
    ChildProcess process_;
};

// A port on 127.0.0.1 that nothing listens on right now.
int freePort();
// Waits until something accepts on 127.0.0.1:port.
bool waitForPort(int port, int milliseconds);
// A fresh folder below /tmp, readable by everyone (ngircd drops to user nobody).
std::string makeTempDir(const std::string& stem);

} // namespace pell::test
