// Arbitrary bytes, cut into lines, through the engine into a session window's model:
// every event presented, lines routed to tabs, nick lists refilled, the raw log kept.
// Each input starts from a fresh model and a fresh Connect, so a failure replays from
// the input alone.
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "session/SessionEvents.h"
#include "session/SessionModel.h"

#include <arpa/inet.h>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace pell;

namespace {

// Accepts the engine's connections on 127.0.0.1 and swallows what it sends.
int startDrain()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0)
        std::abort();
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::thread([listener] {
        char buffer[65536];
        for (;;) {
            const int client = ::accept(listener, nullptr, nullptr);
            if (client < 0)
                continue;
            while (::recv(client, buffer, sizeof buffer, 0) > 0) {
            }
            ::close(client);
        }
    }).detach();
    return ntohs(address.sin_port);
}

struct QuietDesktop : platform::Desktop {
    bool isMainWindowInFront() const override { return false; }
    void flashWindow() override {}
    void openUrl(const std::string&) override {}
};

struct QuietPrompts : platform::UserPrompts {
    void showError(const std::string&) override {}
    std::optional<std::string> askText(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
};

struct NoSaveDialog : platform::SaveFileDialog {
    std::optional<std::string> askSaveFileName(const std::string&, const std::string&) override { return {}; }
};

// Every text tab's lines must read back, and the fixed tabs must stay where they belong.
void checkModel(session::SessionModel& model)
{
    const session::SessionTabs& tabs = model.Tabs();
    if (tabs.Count() < 2 || tabs.At(0).Caption != "Main" || tabs.At(tabs.Count() - 1).Caption != "Ignorlist")
        std::abort();
    std::size_t bytes = 0;
    for (int i = 0; i < tabs.Count(); ++i)
        if (tabs.At(i).Text)
            for (const auto& line : tabs.At(i).Text->Lines())
                for (std::size_t r = 0; r < line.RunCount(); ++r)
                    bytes += line.RunAt(r).Text.size();
    if (bytes > (std::size_t{1} << 40))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const int port = startDrain();
    static platform::EventQueue queue;
    static settings::AppSettings settings;
    static session::SessionShared shared;
    static session::SessionViewPort view;
    static QuietDesktop desktop;
    static QuietPrompts prompts;
    static NoSaveDialog saveDialog;

    settings.Language = size % 2 == 0 ? 0 : 1;
    session::SessionModel model(settings, shared, session::SessionPorts{view, desktop, prompts, saveDialog});
    irc::TIdIRC irc(queue);
    session::SessionEvents events(irc, model, settings);
    events.Bind();
    irc.SetNick("me");
    irc.AltNick = "me2";
    irc.Host = "127.0.0.1";
    irc.Port = port;
    irc.Connect(3000);

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        std::string line = input.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        irc.HandleLine(line);
        start = end + 1;
    }
    checkModel(model);
    irc.Disconnect(true);
    return 0;
}
