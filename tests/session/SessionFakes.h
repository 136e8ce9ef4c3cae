#pragma once

#include "irc/TIdIRC.h"
#include "platform/Desktop.h"
#include "platform/EventQueue.h"
#include "platform/UserPrompts.h"
#include "session/SessionCommands.h"
#include "session/SessionEvents.h"
#include "session/SessionModel.h"
#include "support/ScriptedTransport.h"

#include <deque>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace pell::session::testing {

// Records each line appended (tab, text and colour) and each change of the input line.
struct RecordingView : SessionViewPort {
    std::vector<std::tuple<TabId, std::string, Rgb>> lines;
    int inputChanges = 0;
    void lineAppended(TabId id, const FormattedLine& line) override { lines.emplace_back(id, line.PlainText(), line.BaseColour()); }
    void inputLineChanged() override { ++inputChanges; }
};

struct FakeDesktop : platform::Desktop {
    bool inFront = false;
    int flashes = 0;
    std::vector<std::string> opened;
    bool throwOnOpen = false;
    bool isMainWindowInFront() const override { return inFront; }
    void flashWindow() override { ++flashes; }
    void openUrl(const std::string& url) override
    {
        opened.push_back(url);
        if (throwOnOpen)
            throw std::runtime_error("no browser");
    }
};

// Prompts answered from queues; an empty queue cancels (text) or says No. Each prompt
// shown is recorded as "caption|label|default" or "caption|question".
struct FakePrompts : platform::UserPrompts {
    std::vector<std::string> errors, asked;
    std::deque<std::optional<std::string>> textAnswers;
    std::deque<bool> yesNoAnswers;
    void showError(const std::string& message) override { errors.push_back(message); }
    std::optional<std::string> askText(const std::string& caption, const std::string& label,
                                       const std::string& defaultText) override
    {
        asked.push_back(caption + "|" + label + "|" + defaultText);
        return pop(textAnswers, std::optional<std::string>());
    }
    bool askYesNo(const std::string& caption, const std::string& question) override
    {
        asked.push_back(caption + "|" + question);
        return pop(yesNoAnswers, false);
    }
    template <typename T> static T pop(std::deque<T>& queue, T fallback)
    {
        if (!queue.empty())
            fallback = std::move(queue.front()), queue.pop_front();
        return fallback;
    }
};

struct FakeSaveDialog : platform::SaveFileDialog {
    std::optional<std::string> answer;
    std::string filterName, pattern;
    std::optional<std::string> askSaveFileName(const std::string& name, const std::string& filter) override
    {
        filterName = name;
        pattern = filter;
        return answer;
    }
};

// A session model with recording ports.
struct SessionFixture {
    settings::AppSettings settings;
    SessionShared shared;
    RecordingView view;
    FakeDesktop desktop;
    FakePrompts prompts;
    FakeSaveDialog saveDialog;
    SessionModel model{settings, shared, SessionPorts{view, desktop, prompts, saveDialog}};

    // The plain text of every line of the tab with this caption.
    std::vector<std::string> linesOf(const std::string& caption)
    {
        std::vector<std::string> lines;
        const int index = model.Tabs().Find(caption);
        if (index >= 0 && model.Tabs().At(index).Text)
            for (const auto& line : model.Tabs().At(index).Text->ToVector())
                lines.push_back(line.PlainText());
        return lines;
    }
};

// A session model with its events and commands over a real engine on a scripted server:
// server lines go to the engine as from its reader, and the lines it writes are kept.
struct WiredSession : SessionFixture {
    platform::EventQueue gui;
    test::ScriptedTransport* server = nullptr;
    irc::TIdIRC irc{gui, test::ScriptedTransport::Make(server)};
    SessionEvents events{irc, model, settings};
    UserInfoModel userInfo;
    SessionCommands commands{irc, model, settings, prompts, userInfo};
    std::vector<std::string> written;
    std::size_t seen = 0;

    WiredSession()
    {
        irc.SetNick("me");
        irc.OnSend = [this](const std::string& line) { written.push_back(line); };
    }
    ~WiredSession() { irc.Disconnect(true); }

    void connect()
    {
        irc.Connect(3000);
        written.clear(); // the registration
    }
    // The lines written since the last call, without their line ends.
    std::vector<std::string> sent() { return std::exchange(written, {}); }
    void serverSends(const std::vector<std::string>& lines)
    {
        for (const auto& line : lines)
            irc.HandleLine(line);
    }
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
