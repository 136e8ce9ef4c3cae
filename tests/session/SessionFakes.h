#pragma once

#include "doubles/EventQueue.h"
#include "doubles/PortFakes.h"
#include "doubles/ScriptedTransport.h"
#include "doubles/TempFolder.h"
#include "session/Session.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace pell::session::testing {

using Lines = std::vector<std::string>;

// Records each line appended (tab, text and colour) and each change of the input line.
// A line holding `failOn` fails to show, as a view that breaks would.
struct RecordingView : SessionViewPort {
    std::vector<std::tuple<TabId, std::string, Rgb>> lines;
    std::vector<std::string> inputShown; // each text the model put into the input line
    std::size_t inputCursor = 0;         // where the last completion left the cursor
    std::string failOn;
    void lineAppended(TabId id, const FormattedLine& line) override
    {
        const std::string text = line.PlainText();
        if (!failOn.empty() && text.find(failOn) != std::string::npos)
            throw std::runtime_error("broken");
        lines.emplace_back(id, text, line.BaseColour());
    }
    void inputLineChanged(std::string_view text) override { inputShown.emplace_back(text); }
    void inputLineCompleted(std::string_view text, std::size_t cursor) override
    {
        inputShown.emplace_back(text);
        inputCursor = cursor;
    }
};

// The plain text of every line of the tab with this caption.
inline std::vector<std::string> linesOf(SessionModel& model, const std::string& caption)
{
    std::vector<std::string> lines;
    const int index = model.Tabs().Find(caption);
    if (index >= 0 && model.Tabs().At(index).Text)
        for (const auto& line : model.Tabs().At(index).Text->ToVector())
            lines.push_back(line.PlainText());
    return lines;
}

// The desktop ports of a session, each recording what it was asked.
struct RecordingPorts {
    settings::AppSettings settings;
    SessionShared shared;
    RecordingView view;
    test::FakeDesktop desktop;
    test::FakePrompts prompts;
    test::FakeSaveDialog saveDialog;
    SessionPorts ports() { return SessionPorts{view, desktop, prompts, saveDialog}; }
};

// A session window's models on a real server, with recording ports and its own queue.
struct ServerWindow : RecordingPorts {
    test::EventQueue gui;
    UserInfoModel userInfo;
    std::unique_ptr<Session> session;
    void open(const settings::ServerProfile& profile)
    {
        session = std::make_unique<Session>(SessionContext{gui, settings, shared, ports(), userInfo}, profile);
    }
    bool registered()
    {
        return gui.pumpUntil([&] { return session->Engine().State() == irc::ClientState::Connected; }, std::chrono::seconds(10));
    }
};

// A session model with recording ports.
struct SessionFixture : RecordingPorts {
    SessionModel model{settings, shared, ports()};
    std::vector<std::string> linesOf(const std::string& caption) { return testing::linesOf(model, caption); }
};

// A whole session on a scripted server, made the way the program makes one, reporting to
// recording ports: server lines go to the engine as from its reader, and the lines it
// writes are kept. It connects at connect(), registered as "me" unless named otherwise.
struct WiredSession : RecordingPorts {
    explicit WiredSession(std::string nick = "me") : nick(std::move(nick)) {}
    std::string nick;
    test::EventQueue gui;
    UserInfoModel userInfo;
    test::ScriptedTransport* server = nullptr;
    std::unique_ptr<Session> session = open();
    SessionModel& model = session->Model();
    irc::Client& irc = session->Engine();
    SessionCommands& commands = session->Commands();
    std::size_t seen = 0;

    std::unique_ptr<Session> open()
    {
        SessionContext context{gui, settings, shared, ports(), userInfo};
        context.Transport = [this] { return test::ScriptedTransport::Make(server); };
        settings::ServerProfile profile;
        profile.Name = "Net";
        profile.Nick = nick;
        return std::make_unique<Session>(context, profile);
    }
    void connect()
    {
        server->Finish();
        server->Written(); // the registration
    }
    // The lines written since the last call, without their line ends.
    std::vector<std::string> sent() { return server->Written(); }
    void serverSends(const std::vector<std::string>& lines)
    {
        for (const auto& line : lines)
            irc.HandleLine(line);
    }
    std::vector<std::string> linesOf(const std::string& caption) { return testing::linesOf(model, caption); }
    // The lines shown since the last call, in order, as "tab|text|colour".
    std::vector<std::string> newLines()
    {
        std::vector<std::string> out;
        for (; seen < view.lines.size(); ++seen) {
            const auto& [id, text, colour] = view.lines[seen];
            const int index = model.Tabs().IndexOfId(id);
            const char* word = colour == Rgb(settings.OwnColour)      ? "own"
                               : colour == Rgb(settings.OthersColour) ? "others"
                               : colour == Rgb(settings.ActionColour) ? "action"
                               : colour == Rgb(settings.MentionColour) ? "mention"
                                                                      : "system";
            out.push_back((index < 0 ? "?" : model.Tabs().At(index).Caption) + "|" + text + "|" + word);
        }
        return out;
    }
    // The nick list of the tab with this caption, its entries joined by blanks.
    std::string nicksOf(const std::string& caption)
    {
        const int index = model.Tabs().Find(caption);
        std::string joined;
        if (index >= 0 && model.Tabs().At(index).Nicks)
            for (const auto& nick : model.Tabs().At(index).Nicks->Entries())
                joined += (joined.empty() ? "" : " ") + nick;
        return joined;
    }
};

} // namespace pell::session::testing
