// One session of the program without its windows, for DCC on the wire: the same session,
// offers, transfers and chats the program runs, driven by lines on stdin and reporting
// on stdout, so a script can put two of them (or one and another client) on a server.
//
//   pell-dcc-node HOST PORT NICK DOWNLOAD_FOLDER [yes|no|hold] [MODE]
//
// Questions are answered yes or no, or held open until "answer yes|no". MODE is the
// download mode (-1 ask by the lists, 0 ask, 1 download, 2 ignore). Commands:
//   offer NICK PATH | chat NICK | say TEXT | answer yes|no | raw LINE | quit
//   passive on|off (how files are offered) | ports FIRST LAST (blank: any) |
//   address auto|server|TYPED (what offers name; "server" asks the server at once)
// Reports: "shown TEXT" (each line of a tab), "question TEXT", "download-status TEXT",
// "download-ended BYTES MS PATH | LAST LINE", "send-status TEXT", "chat TEXT",
// "registered".
#include "doubles/EventQueue.h"
#include "doubles/PortFakes.h"
#include "session/Session.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <string>
#include <thread>

using namespace pell;

namespace {

using Clock = std::chrono::steady_clock;

void report(const std::string& line)
{
    std::cout << line << '\n' << std::flush;
}

struct PrintingView : session::SessionViewPort {
    void lineAppended(session::TabId, const session::FormattedLine& line) override { report("shown " + line.PlainText()); }
};

struct NodePrompts : test::QuietPrompts {
    std::string mode = "yes";
    std::deque<std::function<void(bool)>> open;
    std::unique_ptr<platform::OpenQuestion> askYesNoLater(const std::string&, const std::string& question,
                                                          std::function<void(bool)> answered) override
    {
        report("question " + question);
        if (mode == "hold")
            open.push_back(std::move(answered));
        else
            answered(mode == "yes");
        return nullptr;
    }
    void answer(bool yes)
    {
        if (open.empty())
            return;
        auto answered = std::move(open.front());
        open.pop_front();
        answered(yes);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s HOST PORT NICK DOWNLOAD_FOLDER [yes|no|hold] [MODE]\n", argv[0]);
        return 2;
    }
    test::EventQueue gui;
    settings::AppSettings settings;
    session::SessionShared shared;
    PrintingView view;
    test::QuietDesktop desktop;
    NodePrompts prompts;
    prompts.mode = argc > 5 ? argv[5] : "yes";
    settings.DownloadMode = static_cast<settings::DownloadMode>(argc > 6 ? std::atoi(argv[6]) : 1);
    test::NoSaveDialog saveDialog;
    session::UserInfoModel userInfo;
    settings::ServerProfile profile;
    profile.Name = "node";
    profile.Host = argv[1];
    profile.Port = std::atoi(argv[2]);
    profile.Nick = profile.RealName = profile.Username = argv[3];
    session::Session session({gui, settings, shared, {view, desktop, prompts, saveDialog}, userInfo}, profile);
    session::DccOffers& offers = session.Offers();
    offers.DefaultDownloadFolder = std::string(argv[4]) + "/";

    offers.DownloadOpened = [](dcc::DccDownload& download) {
        download.LinesAdded = [](const std::vector<std::string>& lines) {
            for (const std::string& line : lines)
                report("download-status " + line);
        };
        const auto started = Clock::now();
        download.Ended = [&download, started] {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
            report("download-ended " + std::to_string(download.Progress().BytesDone) + " " + std::to_string(ms) + " " +
                   download.FilePath() + " | " + download.Log().Last());
        };
    };
    offers.SendOpened = [](dcc::DccSend& send) {
        send.LinesAdded = [](const std::vector<std::string>& lines) { report("send-status " + lines.back()); };
    };
    session.Chats().ChatOpened = [](dcc::DirectChat& chat) {
        chat.Lines().LineAdded = [](const std::string& line) { report("chat " + line); };
    };
    session.Chats().ListenerOpened = [](dcc::DirectChatListener& listener) {
        listener.Lines().LineAdded = [](const std::string& line) { report("chat " + line); };
    };

    std::atomic<bool> done{false};
    std::thread input([&] {
        for (std::string line; std::getline(std::cin, line);)
            gui.post([&, line] {
                const auto blank = line.find(' ');
                const std::string word = line.substr(0, blank);
                const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
                const auto split = rest.find(' ');
                if (word == "offer" && split != std::string::npos)
                    offers.OfferFile(rest.substr(0, split), rest.substr(split + 1));
                else if (word == "chat")
                    session.Chats().OfferChat(rest);
                else if (word == "say") {
                    for (const auto& chat : session.Chats().Chats())
                        chat->Send(rest);
                    for (const auto& listener : session.Chats().Listeners())
                        listener->Send(rest);
                } else if (word == "answer")
                    prompts.answer(rest == "yes");
                else if (word == "raw")
                    session.Engine().Raw(rest);
                else if (word == "passive")
                    settings.OfferFilesPassively = rest == "on";
                else if (word == "ports") {
                    settings.FirstDccPort = rest.substr(0, split);
                    settings.LastDccPort = split == std::string::npos ? "" : rest.substr(split + 1);
                } else if (word == "address") {
                    using settings::OfferAddress;
                    settings.OfferAddress = rest == "auto"     ? OfferAddress::Automatic
                                            : rest == "server" ? OfferAddress::AsServerSees
                                                               : OfferAddress::Typed;
                    settings.TypedOfferAddress = rest;
                    offers.AskSeenAddress();
                }
                else if (word == "quit")
                    done = true;
            });
        done = true;
    });
    input.detach(); // blocked in getline until the program ends

    bool registered = false;
    auto nextPoll = Clock::now();
    while (!done) {
        gui.pumpUntil([&] { return done.load(); }, std::chrono::milliseconds(50));
        if (!registered && session.Engine().State() == irc::ClientState::Connected) {
            registered = true;
            report("registered");
        }
        if (Clock::now() >= nextPoll) { // the chat windows' timers
            nextPoll += std::chrono::milliseconds(dcc::DirectChat::PollInterval);
            for (const auto& chat : session.Chats().Chats())
                chat->onPollTick();
        }
    }
    session.Engine().Quit("done");
    gui.pumpUntil([] { return false; }, std::chrono::milliseconds(200));
    return 0;
}
