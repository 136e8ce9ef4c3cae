// A small command-line client on the engine: connects, joins a channel, prints what
// arrives and sends what is typed (a line starting with "/" goes out raw).
#include "net/TransportError.h"
#include "irc/Client.h"
#include "net/SocketLineTransport.h"
#include "doubles/EventQueue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

using namespace pell;

namespace {

// Prints what arrives and joins the channel once registered.
struct PrintingEvents : irc::ClientEvents {
    irc::Client* irc = nullptr;
    std::string channel;

    void OnReceive(const std::string& line) override { std::cout << line << '\n' << std::flush; }
    void OnStateChange() override
    {
        if (irc->State() == irc::ClientState::Connected && !channel.empty())
            irc->Join(channel);
    }
    void OnError(irc::User*, const std::string& numeric, const std::string& text) override
    {
        std::cerr << "error " << numeric << ": " << text << '\n';
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s HOST PORT NICK [#CHANNEL]\n", argv[0]);
        return 2;
    }
    const std::string channel = argc > 4 ? argv[4] : "";

    test::EventQueue gui;
    PrintingEvents events;
    irc::Client irc(std::make_unique<net::SocketLineTransport>(gui), events);
    events.irc = &irc;
    events.channel = channel;
    irc.Host = argv[1];
    irc.Port = std::atoi(argv[2]);
    irc.SetNick(argv[3]);
    irc.Username = argv[3];
    irc.RealName = "Pell-IRC";
    irc.Replies.Version = "Pell-IRC";

    try {
        irc.Connect(3000);
    } catch (const net::TransportError& error) {
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
