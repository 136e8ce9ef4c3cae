// A small command-line client on the engine: connects, joins a channel, prints what
// arrives and sends what is typed (a line starting with "/" goes out raw).
#include "direct/TransportError.h"
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

using namespace pell;

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s HOST PORT NICK [#CHANNEL]\n", argv[0]);
        return 2;
    }
    const std::string channel = argc > 4 ? argv[4] : "";

    platform::EventQueue gui;
    irc::TIdIRC irc(gui);
    irc.Host = argv[1];
    irc.Port = std::atoi(argv[2]);
    irc.SetNick(argv[3]);
    irc.Username = argv[3];
    irc.RealName = "Pell-IRC";
    irc.Replies.Version = "Pell-IRC";
    irc.OnReceive = [](const std::string& line) { std::cout << line << '\n' << std::flush; };
    irc.OnStateChange = [&] {
        if (irc.State() == irc::csConnected && !channel.empty())
            irc.Join(channel);
    };
    irc.OnError = [](irc::TIdIRCUser*, const std::string& numeric, const std::string& text) {
        std::cerr << "error " << numeric << ": " << text << '\n';
    };

    try {
        irc.Connect(3000);
    } catch (const direct::TransportError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }

    std::atomic<bool> inputDone{false};
    std::thread input([&] {
        std::string line;
        while (std::getline(std::cin, line)) {
            gui.post([&irc, line, channel] {
                if (!line.empty() && line[0] == '/')
                    irc.Raw(line.substr(1));
                else if (!channel.empty())
                    irc.Say(channel, line);
            });
        }
        inputDone = true;
    });
    input.detach(); // blocked in getline until the program ends

    gui.pumpUntil([&] { return !irc.Connected(); }, std::chrono::hours(24 * 365));
    std::cerr << "connection closed\n";
    return 0;
}
