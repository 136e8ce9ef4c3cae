#pragma once

#include "platform/Desktop.h"
#include "platform/UserPrompts.h"
#include "session/ChannelNameBox.h"
#include "session/IgnoreList.h"
#include "session/MemberStatus.h"
#include "session/RawLog.h"
#include "session/SessionShared.h"
#include "session/SessionTabs.h"
#include "settings/AppSettings.h"

#include <array>
#include <chrono>
#include <optional>
#include <map>
#include <string>

namespace pell::session {

// What a session model needs around it: its view, the desktop, the user.
struct SessionPorts {
    SessionViewPort& View;
    platform::Desktop& Desktop;
    platform::UserPrompts& Prompts;
    platform::SaveFileDialog& SaveDialog;
};

// The state of one session window and the ways lines reach its tabs. Options are read
// from the settings at the moment they are needed.
class SessionModel {
public:
    SessionModel(const settings::AppSettings& settings, SessionShared& shared, SessionPorts ports);

    SessionTabs& Tabs() { return tabs_; }
    const IgnoreList& Ignores() const { return ignores_; }
    const RawLog& Raw() const { return raw_; }
    SessionShared& Shared() { return shared_; }
    SessionViewPort& View() { return ports_.View; }

    const std::string& CurrentChannel() const { return currentChannel_; }
    void SetCurrentChannel(std::string channel) { currentChannel_ = std::move(channel); }
    const std::string& ServerName() const { return serverName_; }
    void SetServerName(std::string name) { serverName_ = std::move(name); }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    const ChannelNameBox& ChannelBox() const { return channelBox_; }
    ChannelNameBox& ChannelBox() { return channelBox_; }
    // Adds the names the box lacks (without regard to case) in one go.
    void AddChannelNames(const std::vector<std::string_view>& names);
    const std::string& StatusPanel(int panel) const { return status_.at(static_cast<std::size_t>(panel)); }
    void SetStatusPanel(int panel, std::string text);

    // The user clicked a tab: it becomes active and its caption the current channel.
    void UserSelectsTab(int index);

    // Routes one line to its tab, dropping it when the nick is ignored.
    void AddText(std::string channel, std::string nick, std::string text, Rgb colour);
    // A private notice, "-nick- text", into the active text tab or "Main"; dropped when
    // the nick is ignored. No channel is taken from its text.
    void AddNotice(const std::string& nick, const std::string& text, Rgb colour);

    // Appends one line with its in-text codes to a text tab; other tabs are left alone.
    void WriteFormattedLine(const std::string& line, int tabIndex, Rgb colour);
    void CollectUrls(const std::string& text);
    // After a message: flash when the main window is not in front and flashing is on.
    void FlashOnMessage();
    void OpenLink(const std::string& url);

    // The time the server says the line being handled was said (server-time); nothing
    // between lines. A line said a while ago (a bouncer replaying what was missed) shows
    // that time before its text, "[12:01:05] " or "[2026-12-06 23:59:01] " for another
    // day, and flashes nothing.
    void SetLineTime(const std::optional<std::chrono::system_clock::time_point>& said,
                     std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
    static constexpr std::chrono::seconds ReplayAge{60};
    // Away and account of other users, for the nick lists; every text tab's nick list is
    // redrawn after a change.
    const MemberStatus& Members() const { return members_; }
    MemberStatus& Members() { return members_; }
    void MembersChanged();

    void IgnoreNick(const std::string& nick);
    void UnignoreNick(const std::string& nick);
    void SelectIgnoreEntry(int index) { ignores_.Select(index); }
    void DeleteSelectedIgnore();
    void AppendRaw(std::string entry, bool select);

    // Whether the user is in a channel: joined by the own JOIN, left by the own PART or
    // KICK or a lost connection. A left channel's tabs keep their text and lose their
    // nick lists; nothing typed there is sent. Names compare without regard to case.
    void ChannelJoined(const std::string& channel);
    void ChannelLeft(const std::string& channel);
    bool IsLeftChannel(const std::string& caption) const;
    // The connection ended: the line goes into every text tab, every channel the user
    // was in counts as left and every nick list is emptied.
    void ConnectionEnded(const std::string& text, Rgb colour);

    // The "Clear" and "Save" buttons; both act on the active tab when it is a text tab.
    void ClearActive();
    // True when a file was written.
    bool SaveActive();

private:
    const settings::AppSettings& settings_;
    SessionShared& shared_;
    SessionPorts ports_;
    // A server line and the text it becomes are stored side by side, so the words they
    // share are packed once.
    std::shared_ptr<StringArena> lineArena_ = std::make_shared<StringArena>();
    SessionTabs tabs_;
    IgnoreList ignores_;
    RawLog raw_;
    std::string currentChannel_ = MainCaption;
    std::string serverName_;
    std::string caption_ = "Channel";
    ChannelNameBox channelBox_;
    std::array<std::string, 3> status_;
    MemberStatus members_{settings_};
    std::string replayStamp_; // "[12:01:05] " while a replayed line is handled
    std::map<std::string, bool> joined_; // by folded channel name: true joined, false left
};

} // namespace pell::session
