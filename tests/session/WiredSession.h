#pragma once

#include "SessionFakes.h"
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "session/SessionCommands.h"
#include "session/SessionEvents.h"
#include "support/FakeServer.h"

#include <utility>

namespace pell::session::testing {

// A session model with its events and commands over a real engine on a scripted server:
// server lines go to the engine as from its reader, and the lines it writes are kept.
struct WiredSession : SessionFixture {
    platform::EventQueue gui;
    test::FakeServer fake;
    irc::TIdIRC irc{gui};
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
        irc.Host = "127.0.0.1";
        irc.Port = fake.port();
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
        for (; seen < view.appended.size(); ++seen) {
            const int index = model.Tabs().IndexOfId(view.appended[seen]);
            const auto& [text, colour] = view.lines[seen];
            const char* word = colour == Rgb(settings.OwnColour)      ? "own"
                               : colour == Rgb(settings.OthersColour) ? "others"
                               : colour == Rgb(settings.ActionColour) ? "action"
                                                                      : "system";
            out.push_back((index < 0 ? "?" : model.Tabs().At(index).Caption) + "|" + text + "|" + word);
        }
        return out;
    }
    std::vector<std::string> nicksOf(const std::string& caption)
    {
        const int index = model.Tabs().Find(caption);
        return index < 0 || !model.Tabs().At(index).Nicks ? std::vector<std::string>{} : model.Tabs().At(index).Nicks->Entries();
    }
};

} // namespace pell::session::testing
