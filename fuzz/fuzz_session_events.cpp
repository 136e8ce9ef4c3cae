// Arbitrary bytes, cut into lines, through the engine into a session window's model:
// every event presented, lines routed to tabs, nick lists refilled, the raw log kept.
// Each input starts from a fresh model and a fresh Connect, so a failure replays from
// the input alone.
#include "LoopbackDrain.h"
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "platform/QuietPorts.h"
#include "session/SessionEvents.h"
#include "session/SessionModel.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

using namespace pell;

namespace {

// Every text tab's lines must read back, and the fixed tabs must stay where they belong.
void checkModel(session::SessionModel& model)
{
    const session::SessionTabs& tabs = model.Tabs();
    if (tabs.Count() < 2 || tabs.At(0).Caption != "Main" || tabs.At(tabs.Count() - 1).Caption != "Ignorlist")
        std::abort();
    std::size_t bytes = 0;
    for (int i = 0; i < tabs.Count(); ++i)
        if (tabs.At(i).Text)
            for (const auto& line : tabs.At(i).Text->ToVector())
                for (std::size_t r = 0; r < line.RunCount(); ++r)
                    bytes += line.RunAt(r).Text.size();
    if (bytes > (std::size_t{1} << 40))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const int port = fuzz::startLoopbackDrain();
    static platform::EventQueue queue;
    static settings::AppSettings settings;
    static session::SessionShared shared;
    static session::SessionViewPort view;
    static platform::QuietDesktop desktop;
    static platform::QuietPrompts prompts;
    static platform::NoSaveDialog saveDialog;

    settings.Language = size % 2 == 0 ? 0 : 1;
    session::SessionModel model(settings, shared, session::SessionPorts{view, desktop, prompts, saveDialog});
    irc::TIdIRC irc(queue);
    session::SessionEvents events(irc, model, settings);
    events.Bind();
    // A handler may fail: the engine drops that line, the window says so, and goes on.
    irc.OnMessage = [message = irc.OnMessage](irc::TIdIRCUser* u, irc::TIdIRCChannel* c, const std::string& t) {
        if (t == "throw")
            throw std::runtime_error("handler failed");
        message(u, c, t);
    };
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
