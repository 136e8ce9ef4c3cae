#pragma once

#include "platform/Desktop.h"
#include "platform/UserPrompts.h"
#include "session/ChannelNameBox.h"
#include "session/IgnoreList.h"
#include "session/LogWriter.h"
#include "session/NickCompletion.h"
#include "session/MemberStatus.h"
#include "session/RawLog.h"
#include "session/SessionShared.h"
#include "session/SessionTabs.h"
#include "settings/AppSettings.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
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
    // Who spoke last in each channel and query, for nick completion.
    RecentSpeakers& Speakers() { return speakers_; }

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

    // Routes one line to its tab, dropping it when the nick is ignored. The tab written
    // to, or 0 when the line was dropped.
    TabId AddText(std::string channel, std::string nick, std::string text, Rgb colour);
    // A private notice, "-nick- text", into the active text tab or "Main"; dropped when
    // the nick is ignored. No channel is taken from its text.
    void AddNotice(const std::string& nick, const std::string& text, Rgb colour);

    // Appends one line with its in-text codes to a text tab; other tabs are left alone.
    // The line gets its time (and, with time stamps on, "[HH:MM] " in front), and a tab
    // that is not active is marked as holding new lines.
    TabId WriteFormattedLine(const std::string& line, int tabIndex, Rgb colour);

    // The time of the lines shown for the server line being handled: its arrival unless
    // the server sent one (server-time). Replayed history counts as no new mention. Both
    // hold until the next server line (NewServerLine) and apply to lines shown meanwhile.
    void NewServerLine();
    void SetLineTime(std::int64_t unixSeconds) { lineTime_ = unixSeconds; }
    void SetReplayed(bool replayed) { replayed_ = replayed; }
    // The wall clock, in seconds since 1970; tests replace it.
    std::function<std::int64_t()> Clock;
    // The own nick, for telling mentions; set by whoever owns the engine.
    std::function<std::string()> OwnNick;
    CaseMapping Mapping = CaseMapping::Rfc1459;

    // Whether a message (or action) from this nick should stand out: it names the own nick
    // or one of the extra words, or it came privately. Never for the own lines, never with
    // mentions switched off.
    bool IsMention(const std::string& nick, const std::string& text, bool privately) const;
    // A mention was shown in this tab: the tab is marked and, with the window in the
    // background, the desktop is told. `where` is the channel, empty for a private line.
    void NoteMention(TabId tab, const std::string& nick, const std::string& where, const std::string& text);
    // The colour of a message: the mention colour or the others' colour.
    Rgb MessageColour(bool mention) const;

    // With logs on, each line shown (but the channel list's) is also appended, with its
    // date and time, to LogFolder/<network>/<tab>.log by a writer thread.
    std::string LogFolder = DefaultLogFolder();
    LogWriter* Logs() { return logs_.get(); }
    // Says in "Main" which log files could not be written since the last call.
    void ReportLogErrors();
    void CollectUrls(const std::string& text);
    // After a message: flash when the main window is not in front and flashing is on.
    void FlashOnMessage();
    void OpenLink(const std::string& url);

    // The time the server says the line being handled was said (server-time); nothing
    // between lines. A line said a while ago (a bouncer replaying what was missed) shows
    // that time before its text, "[12:01:05] " or "[2026-12-06 23:59:01] " for another
    // day, flashes nothing and counts as no mention; every line carries the time said.
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
    RecentSpeakers speakers_;
    std::optional<std::int64_t> lineTime_;
    bool replayed_ = false;
    std::unique_ptr<LogWriter> logs_;
    MemberStatus members_{settings_};
    std::string replayStamp_; // "[12:01:05] " while a replayed line is handled
    std::map<std::string, bool> joined_; // by folded channel name: true joined, false left
};

} // namespace pell::session
