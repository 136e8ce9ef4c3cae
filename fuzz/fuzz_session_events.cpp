// Arbitrary bytes, cut into lines, through a whole session: the engine, every event
// presented, lines routed to tabs, nick lists refilled, the raw log kept, DCC offers
// judged. Each input starts from a fresh session, so a failure replays from the input
// alone. Nothing is accepted without a question and every question is answered "No",
// so no offer reaches the network.
#include "doubles/EventQueue.h"
#include "doubles/PortFakes.h"
#include "doubles/ScriptedTransport.h"
#include "session/Session.h"

#include <cstdint>
#include <cstdlib>
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

settings::AppSettings quietSettings()
{
    settings::AppSettings settings;
    settings.AcceptPatterns.clear();
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static test::EventQueue queue;
    static settings::AppSettings settings = quietSettings();
    static session::SessionShared shared;
    static session::SessionViewPort view;
    static test::QuietDesktop desktop;
    static test::QuietPrompts prompts;
    static test::NoSaveDialog saveDialog;
    static session::UserInfoModel userInfo;

    settings.Language = size % 2 == 0 ? settings::Language::English : settings::Language::German;
    test::ScriptedTransport* server = nullptr;
    session::SessionContext context{queue, settings, shared, {view, desktop, prompts, saveDialog}, userInfo};
    context.Transport = [&server] { return test::ScriptedTransport::Make(server); };
    settings::ServerProfile profile;
    profile.Name = "fuzz";
    profile.Nick = "me";
    session::Session session(context, profile);
    server->Finish(); // connected: registration goes out, lines are handled from now on

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        std::string line = input.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        session.Engine().HandleLine(line);
        start = end + 1;
    }
    queue.pump(); // the questions about offers, asked once the lines are handled
    checkModel(session.Model());
    return 0;
}
