#pragma once

#include "session/InputHistory.h"
#include "session/SessionModel.h"
#include "session/UserInfoModel.h"

#include <optional>
#include <string>

namespace pell::irc {
class Client;
}

namespace pell::session {

// What the user does in a session window, and the lines each action sends through the
// window's engine. There is no command interpreter: a line starting with "/" goes to
// the server as it stands, without the slash. Nick-list actions take the selected row
// of the active tab's nick list (-1 for none) and do nothing without one.
class SessionCommands {
public:
    SessionCommands(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
                    platform::UserPrompts& prompts, UserInfoModel& userInfo);

    // The input line, as the user edits it.
    const std::string& InputLine() const { return input_; }
    void SetInputLine(std::string text) { input_ = std::move(text); }
    const InputHistory& History() const { return history_; }

    // Input line keys.
    void Enter();
    void HistoryUp();
    void HistoryDown();

    // Buttons and the tab bar's menu.
    void Action();
    void Join(const std::string& channelBoxText);
    void Leave();
    void CloseTab();
    void ShowChannels();
    void Userlist();
    void ChangeNick();
    void AwayChanged(bool ticked);

    // The nick lists' menu and double-click.
    void Invite(int row);
    void Voice(int row);
    void DeVoice(int row);
    void Op(int row);
    void DeOp(int row);
    void Ignore(int row);
    void Unignore(int row);
    void Ban(int row);
    void Kick(int row);
    void Info(int row);
    void OpenQuery(int row);

    // The ignore list's "Delete" item and Delete key: removes its selected entry.
    void DeleteIgnoreEntry();

    // One line of a running template, sent as if typed on the active tab: "#..." makes
    // the tab take that channel over and joins it, "/..." goes out raw, anything else
    // is a message to the tab. An empty line sends nothing.
    void SendTemplateLine(const std::string& line);

private:
    std::optional<std::string> selectedNick(int row);
    std::string activeCaption();
    // Plain text typed on "Main", "Channels" or "Ignorlist" would go to a user of that
    // name; it is refused with a line in "Main". True when refused.
    bool refusePlainText(const std::string& target);
    // Nor does it go to a channel the user has left (kicked, parted, disconnected): the
    // tab itself says so. True when refused.
    bool refuseLeftChannel(const std::string& target);
    void joinOnActiveTab(const std::string& channel);
    // The prompt's answer, or its default when cancelled.
    std::string ask(const std::string& caption, const std::string& label, const std::string& defaultText);
    void mode(int row, const char* change);
    void setInputLine(std::string text);

    irc::Client& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    UserInfoModel& userInfo_;
    InputHistory history_;
    std::string input_;
};

} // namespace pell::session
