#include "session/SessionModel.h"

#include "irc/CaseFold.h"
#include "session/ChannelInText.h"
#include "session/EventText.h"
#include "session/LineTime.h"
#include "session/Mentions.h"
#include "session/LineFormatter.h"
#include "session/NickPrefix.h"
#include "session/RtfFile.h"
#include "session/RtfWriter.h"

#include <chrono>
#include <ctime>

namespace pell::session {

namespace {

// A notification shows a glimpse, not a wall of text.
constexpr std::size_t NotificationBodyBytes = 300;

std::int64_t wallClock()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

SessionModel::SessionModel(const settings::AppSettings& settings, SessionShared& shared, SessionPorts ports)
    : Clock(wallClock), settings_(settings), shared_(shared), ports_(ports), tabs_(ports.View, lineArena_),
      raw_(lineArena_)
{
}

void SessionModel::SetStatusPanel(int panel, std::string text)
{
    status_.at(static_cast<std::size_t>(panel)) = std::move(text);
    ports_.View.statusPanelChanged(panel);
}

void SessionModel::SetCaption(std::string caption)
{
    caption_ = std::move(caption);
    ports_.View.captionChanged();
}

void SessionModel::AddChannelNames(const std::vector<std::string_view>& names)
{
    if (channelBox_.AddNew(names) > 0)
        ports_.View.channelBoxChanged();
}

void SessionModel::UserSelectsTab(int index)
{
    if (index < 0 || index >= tabs_.Count())
        return;
    tabs_.Activate(index);
    currentChannel_ = tabs_.At(index).Caption;
}

TabId SessionModel::AddText(std::string channel, std::string nick, std::string text, Rgb colour)
{
    const bool mayNameChannel = channel.empty() || channel == MainCaption;
    if (mayNameChannel)
        TakeChannelFromText(channel, text);
    if (nick.empty()) {
        const auto blank = text.find(' ');
        nick = text.substr(0, blank);
        text = blank == std::string::npos ? std::string() : text.substr(blank);
    }
    nick = StripNickPrefix(nick, tabs_.PrefixSymbols());
    if (ignores_.IsIgnored(nick))
        return 0;
    if (!replayStamp_.empty())
        text.insert(0, replayStamp_);
    // The nick has been taken off, so a channel may now stand second.
    if (mayNameChannel)
        TakeChannelFromText(channel, text);
    const std::string line = "<" + nick + ">:" + text;

    if (channel.empty() && tabs_.Active().IsText())
        return WriteFormattedLine(line, tabs_.ActiveIndex(), colour);
    for (int i = 0; i < tabs_.Count(); ++i)
        if (tabs_.At(i).Caption == channel && tabs_.At(i).IsText())
            return WriteFormattedLine(line, i, colour);
    if (channel.empty())
        channel = MainCaption;
    tabs_.NewChannel(channel);
    if (tabs_.Active().IsText())
        return WriteFormattedLine(line, tabs_.ActiveIndex(), colour);
    return WriteFormattedLine(line, 0, colour);
}

void SessionModel::AddNotice(const std::string& nick, const std::string& text, Rgb colour)
{
    const std::string shown = StripNickPrefix(nick, tabs_.PrefixSymbols());
    if (ignores_.IsIgnored(shown))
        return;
    const std::string line = "-" + shown + "- " + text;
    WriteFormattedLine(line, tabs_.Active().IsText() ? tabs_.ActiveIndex() : tabs_.Find(MainCaption), colour);
}

void SessionModel::ChannelJoined(const std::string& channel)
{
    bool& joined = joined_[irc::foldCase(channel)];
    if (joined)
        return;
    joined = true;
    ports_.View.tabsChanged();
}

void SessionModel::ChannelLeft(const std::string& channel)
{
    joined_[irc::foldCase(channel)] = false;
    for (int i = 0; i < tabs_.Count(); ++i)
        if (irc::sameTextIgnoringCase(tabs_.At(i).Caption, channel))
            tabs_.ClearNicks(i);
    ports_.View.tabsChanged();
}

bool SessionModel::IsLeftChannel(const std::string& caption) const
{
    const auto found = joined_.find(irc::foldCase(caption));
    return found != joined_.end() && !found->second;
}

void SessionModel::ConnectionEnded(const std::string& text, Rgb colour)
{
    for (auto& [channel, joined] : joined_)
        joined = false;
    for (int i = 0; i < tabs_.Count(); ++i) {
        tabs_.ClearNicks(i);
        WriteFormattedLine("<System>:" + text, i, colour);
    }
    ports_.View.tabsChanged();
}

TabId SessionModel::WriteFormattedLine(const std::string& line, int tabIndex, Rgb colour)
{
    if (tabIndex < 0 || tabIndex >= tabs_.Count() || !tabs_.At(tabIndex).IsText())
        return 0;
    SessionTab& tab = tabs_.At(tabIndex);
    const std::int64_t time = lineTime_ ? *lineTime_ : Clock();
    FormattedLine formatted = FormatLine(settings_.TimeStamps ? TimeStamp(time) + line : line, colour);
    formatted.SetTime(time);
    tab.Text->Append(formatted);
    ports_.View.lineAppended(tab.Id, formatted);
    if (settings_.WriteLogs && tab.Caption != "Channels") {
        if (!logs_)
            logs_ = std::make_unique<LogWriter>(LogFolder);
        logs_->Write(serverName_, tab.Caption, LogTime(time) + " " + WithoutFormatting(line));
    }
    // Marking may redraw the tab bar; the caption above stays valid until then.
    const TabId id = tab.Id;
    tabs_.MarkActivity(id, TabActivity::NewLines);
    return id;
}

void SessionModel::ReportLogErrors()
{
    if (!logs_)
        return;
    for (const LogWriter::Failure& failure : logs_->TakeErrors())
        AddText(MainCaption, "System", EventText(settings_.Language, EventKind::LogFailed, failure.Path, failure.Reason),
                static_cast<Rgb>(settings_.SystemColour));
}

void SessionModel::NewServerLine()
{
    lineTime_.reset();
    replayed_ = false;
}

bool SessionModel::IsMention(const std::string& nick, const std::string& text, bool privately) const
{
    if (!settings_.HighlightMentions)
        return false;
    const std::string own = OwnNick ? OwnNick() : std::string();
    if (FoldWith(Mapping, nick) == FoldWith(Mapping, own))
        return false;
    return privately || NamesMe(text, own, settings_.MentionWords, Mapping);
}

Rgb SessionModel::MessageColour(bool mention) const
{
    return static_cast<Rgb>(mention ? settings_.MentionColour : settings_.OthersColour);
}

// History played back on connecting is old news: it marks nothing and tells no one.
void SessionModel::NoteMention(TabId tab, const std::string& nick, const std::string& where, const std::string& text)
{
    if (tab == 0 || replayed_)
        return;
    tabs_.MarkActivity(tab, TabActivity::Mention);
    if (!settings_.NotifyMentions || ports_.Desktop.isMainWindowInFront())
        return;
    const EventKind kind = where.empty() ? EventKind::PrivateMessageTitle : EventKind::MentionTitle;
    std::string body = WithoutFormatting(text);
    if (body.size() > NotificationBodyBytes)
        body = body.substr(0, NotificationBodyBytes) + "...";
    ports_.Desktop.notify(EventText(settings_.Language, kind, nick, where), body);
}

void SessionModel::CollectUrls(const std::string& text)
{
    session::CollectUrls(text, shared_.Addresses);
}

void SessionModel::FlashOnMessage()
{
    if (settings_.FlashOnMessage && replayStamp_.empty() && !ports_.Desktop.isMainWindowInFront())
        ports_.Desktop.flashWindow();
}

void SessionModel::SetLineTime(const std::optional<std::chrono::system_clock::time_point>& said,
                               std::chrono::system_clock::time_point now)
{
    replayStamp_.clear();
    lineTime_.reset();
    replayed_ = false;
    if (!said)
        return;
    lineTime_ = std::chrono::duration_cast<std::chrono::seconds>(said->time_since_epoch()).count();
    replayed_ = now - *said >= ReplayAge;
    if (!replayed_)
        return;
    const std::time_t when = std::chrono::system_clock::to_time_t(*said);
    const std::time_t today = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    std::tm current{};
    localtime_r(&when, &local);
    localtime_r(&today, &current);
    const bool sameDay = local.tm_year == current.tm_year && local.tm_yday == current.tm_yday;
    char stamp[40];
    std::strftime(stamp, sizeof stamp, sameDay ? "[%H:%M:%S] " : "[%Y-%m-%d %H:%M:%S] ", &local);
    replayStamp_ = stamp;
}

void SessionModel::MembersChanged()
{
    for (int i = 0; i < tabs_.Count(); ++i)
        if (tabs_.At(i).IsText())
            ports_.View.nickListChanged(tabs_.At(i).Id);
}

void SessionModel::OpenLink(const std::string& url)
{
    // A click must never take the window down, whatever the desktop does.
    try {
        ports_.Desktop.openUrl(url.rfind("www.", 0) == 0 ? "http://" + url : url);
    } catch (...) {
    }
}

void SessionModel::IgnoreNick(const std::string& nick)
{
    if (ignores_.Add(nick))
        ports_.View.ignoreListChanged();
}

void SessionModel::UnignoreNick(const std::string& nick)
{
    if (ignores_.Remove(nick))
        ports_.View.ignoreListChanged();
}

void SessionModel::DeleteSelectedIgnore()
{
    if (ignores_.DeleteSelected())
        ports_.View.ignoreListChanged();
}

void SessionModel::AppendRaw(std::string entry, bool select)
{
    if (select)
        raw_.AppendSelected(std::move(entry));
    else
        raw_.Append(std::move(entry));
    ports_.View.rawLogAppended();
}

void SessionModel::ClearActive()
{
    SessionTab& tab = tabs_.Active();
    if (!tab.IsText())
        return;
    tab.Text->Clear();
    ports_.View.textCleared(tab.Id);
}

bool SessionModel::SaveActive()
{
    SessionTab& tab = tabs_.Active();
    if (!tab.IsText())
        return false;
    const auto chosen = ports_.SaveDialog.askSaveFileName("Text", "*.rtf");
    if (!chosen || chosen->empty())
        return false;
    const std::string bytes = WriteRtf(tab.Text->ToVector());
    return platform::runReported(ports_.Prompts, [&] { WriteFileReplacing(RtfFileName(*chosen), bytes); });
}

} // namespace pell::session
