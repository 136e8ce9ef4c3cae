#include "session/SessionCommands.h"

#include "irc/Client.h"
#include "session/EventText.h"
#include "session/NickPrefix.h"

namespace pell::session {

namespace {

constexpr const char* ChannelsCaption = "Channels";
constexpr const char* ActionNick = "Action";
constexpr const char* SystemNick = "System";

} // namespace

SessionCommands::SessionCommands(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
                                 platform::UserPrompts& prompts, UserInfoModel& userInfo)
    : irc_(irc), model_(model), settings_(settings), prompts_(prompts), userInfo_(userInfo)
{
}

// Kept even while offline, so a line typed into a dead connection is not lost.
void SessionCommands::Enter()
{
    const std::string text = input_;
    history_.Add(text);
    model_.CollectUrls(text);
    if (!irc_.Connected())
        return;
    // The target is fixed before the echo: a channel named in the text may open a tab.
    const std::string target = activeCaption();
    if (!text.empty() && !text.starts_with('/') && (refusePlainText(target) || refuseLeftChannel(target)))
        return;
    model_.AddText(target, irc_.Nick(), text, static_cast<Rgb>(settings_.OwnColour));
    // An empty line is echoed only: there is nothing to send.
    if (text.starts_with('/'))
        irc_.Raw(std::string_view(text).substr(1));
    else if (!text.empty())
        irc_.Say(target, text);
    setInputLine({});
}

void SessionCommands::HistoryUp()
{
    if (auto line = history_.Back())
        input_ = std::move(*line);
    model_.View().inputLineChanged(input_);
}

void SessionCommands::HistoryDown()
{
    if (auto line = history_.Forward())
        input_ = std::move(*line);
    model_.View().inputLineChanged(input_);
}

void SessionCommands::Action()
{
    if (!irc_.Connected())
        return;
    const std::string text = input_;
    history_.Add(text);
    const std::string target = activeCaption();
    if (!text.empty() && !text.starts_with('#') && !text.starts_with('/') &&
        (refusePlainText(target) || refuseLeftChannel(target)))
        return;
    model_.AddText(target, ActionNick, irc_.Nick() + ": " + text, static_cast<Rgb>(settings_.ActionColour));
    if (text.starts_with('#')) {
        joinOnActiveTab(text);
    } else if (text.starts_with('/')) {
        irc_.Raw(std::string_view(text).substr(1));
    } else if (!text.empty()) {
        irc_.Action(target, text);
    }
    setInputLine({});
}

// An empty box names no channel: neither a tab nor a JOIN can be made of it.
void SessionCommands::Join(const std::string& channelBoxText)
{
    if (channelBoxText.empty())
        return;
    model_.Tabs().NewChannel(channelBoxText);
    if (irc_.Connected())
        irc_.Join(channelBoxText);
}

void SessionCommands::Leave()
{
    auto& tabs = model_.Tabs();
    irc_.Part(activeCaption(), model_.Shared().QuitReason);
    tabs.CloseTab(tabs.ActiveIndex());
}

void SessionCommands::CloseTab()
{
    auto& tabs = model_.Tabs();
    irc_.Part(activeCaption());
    tabs.CloseTab(tabs.ActiveIndex());
}

void SessionCommands::ShowChannels()
{
    model_.Tabs().NewChannel(ChannelsCaption);
    if (irc_.Connected())
        irc_.Raw("list");
}

void SessionCommands::Userlist()
{
    irc_.Raw("names " + activeCaption());
}

void SessionCommands::ChangeNick()
{
    irc_.SetNick(ask("New Nick", "New Nick:", irc_.Nick()));
}

void SessionCommands::AwayChanged(bool ticked)
{
    if (ticked)
        irc_.Raw("away " + ask("Reason", "Reason:", ""));
    else
        irc_.Raw("away");
}

void SessionCommands::Invite(int row)
{
    if (const auto nick = selectedNick(row))
        irc_.Raw("Invite " + *nick + " " + ask("Channelname", "Channelname:", ""));
}

void SessionCommands::Voice(int row)
{
    mode(row, " +v ");
}

void SessionCommands::DeVoice(int row)
{
    mode(row, " -v ");
}

void SessionCommands::Op(int row)
{
    mode(row, " +o ");
}

void SessionCommands::DeOp(int row)
{
    mode(row, " -o ");
}

void SessionCommands::Ignore(int row)
{
    if (const auto nick = selectedNick(row))
        model_.IgnoreNick(*nick);
}

void SessionCommands::Unignore(int row)
{
    if (const auto nick = selectedNick(row))
        model_.UnignoreNick(*nick);
}

// A ban on every address of the nick in the channel the user names.
void SessionCommands::Ban(int row)
{
    if (const auto nick = selectedNick(row))
        irc_.Raw("MODE " + ask("Channelname", "Channelname:", "") + " +b " + *nick + "!*@*");
}

void SessionCommands::Kick(int row)
{
    if (const auto nick = selectedNick(row))
        irc_.Kick(activeCaption(), *nick, ask("Reason", "Reason", ""));
}

// Nicks match exactly here, unlike the engine's own lookups.
void SessionCommands::Info(int row)
{
    const auto nick = selectedNick(row);
    if (!nick)
        return;
    for (int i = 0; i < irc_.Users.Count(); ++i) {
        const irc::User* user = irc_.Users.Items(i);
        if (user->Nick() == *nick) {
            userInfo_.Show(*user);
            return;
        }
    }
}

void SessionCommands::OpenQuery(int row)
{
    const auto nick = selectedNick(row);
    if (nick && !nick->empty())
        model_.Tabs().NewChannel(*nick);
}

void SessionCommands::DeleteIgnoreEntry()
{
    model_.DeleteSelectedIgnore();
}

// A blank line is a pause of one delay: nothing to echo, nothing to send.
void SessionCommands::SendTemplateLine(const std::string& line)
{
    if (line.empty())
        return;
    const std::string target = activeCaption();
    if (!line.starts_with('#') && !line.starts_with('/') && (refusePlainText(target) || refuseLeftChannel(target)))
        return;
    model_.AddText(target, irc_.Nick(), line, static_cast<Rgb>(settings_.OwnColour));
    if (line.starts_with('#'))
        joinOnActiveTab(line);
    else if (line.starts_with('/'))
        irc_.Raw(std::string_view(line).substr(1));
    else
        irc_.Say(target, line);
}

std::optional<std::string> SessionCommands::selectedNick(int row)
{
    const SessionTab& tab = model_.Tabs().Active();
    if (!tab.Nicks || row < 0 || row >= tab.Nicks->Count())
        return std::nullopt;
    return StripNickPrefix(tab.Nicks->Entries()[static_cast<std::size_t>(row)], tab.Nicks->PrefixSymbols());
}

std::string SessionCommands::activeCaption()
{
    return model_.Tabs().Active().Caption;
}

bool SessionCommands::refusePlainText(const std::string& target)
{
    if (target != MainCaption && target != ChannelsCaption && target != IgnoreCaption)
        return false;
    model_.AddText(MainCaption, SystemNick, EventText(settings_.Language, EventKind::PlainTextRefused, target),
                   static_cast<Rgb>(settings_.SystemColour));
    return true;
}

bool SessionCommands::refuseLeftChannel(const std::string& target)
{
    if (!model_.IsLeftChannel(target))
        return false;
    model_.AddText(target, SystemNick, EventText(settings_.Language, EventKind::NotInChannel, target),
                   static_cast<Rgb>(settings_.SystemColour));
    return true;
}

// The whole text names the channel, so the active tab takes it over as its caption.
void SessionCommands::joinOnActiveTab(const std::string& channel)
{
    auto& tabs = model_.Tabs();
    tabs.SetCaption(tabs.ActiveIndex(), channel);
    irc_.Join(channel);
}

std::string SessionCommands::ask(const std::string& caption, const std::string& label, const std::string& defaultText)
{
    return prompts_.askText(caption, label, defaultText).value_or(defaultText);
}

void SessionCommands::mode(int row, const char* change)
{
    if (const auto nick = selectedNick(row))
        irc_.Raw("MODE " + activeCaption() + change + *nick);
}

void SessionCommands::setInputLine(std::string text)
{
    input_ = std::move(text);
    model_.View().inputLineChanged(input_);
}

} // namespace pell::session
