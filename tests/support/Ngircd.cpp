#include "support/Ngircd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pell::test {

int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

bool waitForPort(int port, int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(s);
        if (up)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string makeTempDir(const std::string& stem)
{
    std::string pattern = "/tmp/pell-" + stem + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    chmod(pattern.c_str(), 0755);
    return pattern;
}

Ngircd::Ngircd(const Options& options)
{
    dir_ = makeTempDir("ngircd");
    mkdir((dir_ + "/conf.d").c_str(), 0755);
    port_ = options.port > 0 ? options.port : freePort();
    std::ofstream conf(dir_ + "/ngircd.conf");
    conf << "[Global]\n"
         << "Name = " << name_ << "\n"
         << "Info = Pell-IRC test server\n"
         << "AdminInfo1 = test\nAdminInfo2 = test\nAdminEMail = test@localhost\n"
         << "Listen = 127.0.0.1\n"
         << "Ports = " << port_ << "\n"
         << "MotdPhrase = Hello from the test server\n";
    if (!options.password.empty())
        conf << "Password = " << options.password << "\n";
    conf << "[Limits]\nMaxPenaltyTime = 0\nMaxConnectionsIP = 0\nMaxJoins = 0\nMaxNickLength = 30\n"
         << "[Options]\nPAM = no\nIdent = no\nDNS = no\nScrubCTCP = no\n"
         << "IncludeDir = " << dir_ << "/conf.d\n";
    conf.close();
    chmod((dir_ + "/ngircd.conf").c_str(), 0644);

    process_.start({PELL_NGIRCD, "-n", "-f", dir_ + "/ngircd.conf"}, dir_ + "/ngircd.log");
    if (!waitForPort(port_, 5000)) {
        const std::string printed = log();
        stop();
        throw std::runtime_error("ngircd did not start: " + printed);
    }
}

Ngircd::~Ngircd()
{
    stop();
}

void Ngircd::stop()
{
    process_.stop();
    if (!dir_.empty()) {
        const std::string command = "rm -rf '" + dir_ + "'";
        [[maybe_unused]] const int rc = std::system(command.c_str());
        dir_.clear();
    }
}

std::string Ngircd::log() const
{
    return process_.log();
}

} // namespace pell::test
