#include "session/SessionEvents.h"

#include "irc/Client.h"
#include "session/ChannelListLine.h"
#include "session/ServerText.h"

namespace pell::session {

namespace {

constexpr const char* SystemNick = "System";
constexpr const char* ChannelsCaption = "Channels";

// Absent records count as an empty nick or name.
std::string nickOf(const irc::User* user)
{
    return user ? user->Nick() : std::string();
}

std::string nameOf(const irc::Channel* channel)
{
    return channel ? channel->Name : std::string();
}

bool isNumeric(const std::string& command)
{
    return !command.empty() && command.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

std::string SessionEvents::senderOf(const irc::User* user)
{
    if (user && !user->Nick().empty())
        return user->Nick();
    return user && !user->Address.empty() ? user->Address : "Server";
}

// :bob!b@h PRIVMSG me :hi      private: bob's query tab
// :me!m@h PRIVMSG bob :hi      the own line played back by a bouncer: bob's query tab
// :bob!b@h PRIVMSG @#a :ops    to the channel's operators: the channel's tab
// :srv PRIVMSG me :hi          from the server itself
SessionEvents::Route SessionEvents::routeOf(const irc::User* user, const irc::Channel* channel) const
{
    if (channel)
        return {channel->Name, Route::Channel};
    if (!engine_)
        return {};
    const std::string& target = engine_->Message()[2];
    std::string_view bare = target;
    while (!bare.empty() && engine_->Support().FlagOfSymbol(bare.front()) != 0)
        bare.remove_prefix(1);
    if (irc::Client::IsChannel(bare))
        return {bare.size() == target.size() ? std::string() : std::string(bare), Route::Channel};
    const std::string nick = nickOf(user);
    if (nick.empty())
        return {MainCaption, Route::Server};
    return {nick == engine_->CurrentNick() ? target : nick, Route::Private};
}

SessionEvents::SessionEvents(SessionModel& model, const settings::AppSettings& settings)
    : model_(model), settings_(settings)
{
}

std::string SessionEvents::sentence(EventKind kind, std::string_view a, std::string_view b,
                                    std::string_view reason) const
{
    return EventText(settings_.Language, kind, a, b, reason);
}

void SessionEvents::system(const std::string& target, const std::string& text)
{
    model_.AddText(target, SystemNick, text, colour(settings_.SystemColour));
}

// A notice to a channel reads like its talk; a private one is marked as a notice.
void SessionEvents::OnNotice(irc::User* user, irc::Channel* channel, const std::string& content)
{
    const Route route = routeOf(user, channel);
    if (route.kind == Route::Channel)
        model_.AddText(route.tab, senderOf(user), content, colour(settings_.SystemColour));
    else
        model_.AddNotice(senderOf(user), content, colour(settings_.SystemColour));
}

void SessionEvents::OnAction(irc::User* user, irc::Channel* channel, const std::string& content)
{
    const Route route = routeOf(user, channel);
    const bool privately = route.kind == Route::Private;
    if (privately)
        model_.Tabs().OpenInBackground(route.tab);
    const std::string nick = nickOf(user);
    model_.Speakers().Spoke(route.tab, nick);
    const bool mention = model_.IsMention(nick, content, privately);
    const TabId shown = model_.AddText(route.tab, "Action", nick + " " + content,
                                       mention ? model_.MessageColour(true) : colour(settings_.ActionColour));
    if (mention)
        model_.NoteMention(shown, nick, privately ? std::string() : route.tab, content);
}

void SessionEvents::OnTopic(irc::User*, irc::Channel*, const std::string& channelName, const std::string& topic)
{
    system(channelName, "Topic: " + topic);
}

void SessionEvents::OnNoTopic(irc::Channel* channel, const std::string& content)
{
    system(nameOf(channel), "No Topic: " + content);
}

void SessionEvents::OnInvite(irc::User*, const std::string& channelName)
{
    model_.Tabs().NewChannel(channelName);
}

void SessionEvents::OnInviting(const std::string&, const std::string& channelName)
{
    model_.Tabs().NewChannel(channelName);
}

void SessionEvents::OnOp(irc::User* user, irc::Channel* channel, irc::User* target)
{
    system(MainCaption, "Op :" + nickOf(user) + " at " + nameOf(channel) + " to " + nickOf(target));
}

// The sentence names the banned mask; nick lists stay as they are, since a mask need
// not match anyone listed and a ban removes nobody from the channel.
void SessionEvents::OnBan(irc::User*, irc::Channel* channel, const std::string& hostmask)
{
    system(nameOf(channel), sentence(EventKind::Ban, hostmask));
}

void SessionEvents::OnUnban(irc::User*, irc::Channel* channel, const std::string& hostmask)
{
    system(nameOf(channel), "Unban: " + hostmask);
}

void SessionEvents::OnChannelMode(irc::User* user, irc::Channel*, const std::string& channelName,
                                  const std::string& modes)
{
    model_.AddText(channelName, user ? user->Nick() : SystemNick, "Channelmode: " + modes,
                   colour(settings_.SystemColour));
}

void SessionEvents::OnUserMode(const std::string& modes)
{
    system(MainCaption, modes);
}

void SessionEvents::OnAway(irc::User* user)
{
    system(MainCaption, sentence(EventKind::Away, nickOf(user)));
}

void SessionEvents::OnNowAway(const std::string& content)
{
    system(MainCaption, content);
}

void SessionEvents::OnUnAway(const std::string& content)
{
    system(MainCaption, "Unaway: " + content);
}

void SessionEvents::OnWallops(irc::User* user, const std::string& content)
{
    system(MainCaption, "Wallops: " + nickOf(user) + " " + content);
}

// Server text is the server's: replies whose text the engine passes on as received show
// their parameters after the own nick; the others keep the engine's format.
// :srv 001 me :Welcome to the network
// :srv 329 me #a 1796605220
void SessionEvents::OnSystem(irc::User* user, int numeric, const std::string&, const std::string& content)
{
    const Rgb systemColour = colour(settings_.SystemColour);
    if (numeric == 329) {
        const auto parameters = ParametersOf(content);
        const std::string when = parameters.size() > 2 ? LocalDateTime(parameters[2]) : std::string();
        if (!when.empty() && irc::Client::IsChannel(parameters[1])) {
            model_.AddText(std::string(parameters[1]), senderOf(user), sentence(EventKind::ChannelCreated, when),
                           systemColour);
            return;
        }
    }
    const std::string text = irc::Client::ReportsParametersAsSent(numeric) ? ServerText(content, 1) : content;
    model_.AddText(MainCaption, senderOf(user), text, systemColour);
}

void SessionEvents::OnError(irc::User*, const std::string&, const std::string& error)
{
    system(MainCaption, error);
}

// :srv 333 me #a bob!b@h 1796605220
// :srv 005 me PREFIX=(ov)@+ :are supported by this server
// ERROR :Closing link: (me@h) [Quit: bye]
void SessionEvents::OnUnknownCommand(irc::User* user, const std::string& command, const std::string& content)
{
    const Rgb systemColour = colour(settings_.SystemColour);
    if (command == "ERROR") {
        system(MainCaption, sentence(EventKind::ServerError, ServerText(content, 0)));
        return;
    }
    if (!isNumeric(command)) {
        // "Unkown" is kept as users know it.
        system(MainCaption, "Unkown command: " + content + command);
        return;
    }
    if (command == "333") {
        const auto parameters = ParametersOf(content);
        const std::string when = parameters.size() > 3 ? LocalDateTime(parameters[3]) : std::string();
        if (!when.empty() && irc::Client::IsChannel(parameters[1])) {
            const std::string_view setter = parameters[2].substr(0, parameters[2].find('!'));
            model_.AddText(std::string(parameters[1]), senderOf(user), sentence(EventKind::TopicSetBy, setter, when),
                           systemColour);
            return;
        }
    }
    model_.AddText(MainCaption, senderOf(user), ServerText(content, 1), systemColour);
}

void SessionEvents::OnCtcpQuery(irc::User* user, irc::Channel* channel, const std::string& command,
                                const std::string& arguments, bool&)
{
    system(MainCaption, "CTCPQuery: " + nickOf(user) + ":" + nameOf(channel) + ":" + command + ":" + arguments);
}

void SessionEvents::OnCtcpReply(irc::User* user, irc::Channel* channel, const std::string& command,
                                const std::string& arguments)
{
    system(MainCaption, "CTCPReply: " + nickOf(user) + ":" + nameOf(channel) + ":" + command + ":" + arguments);
}

void SessionEvents::OnPingPong()
{
    system(MainCaption, "Ping Pong");
}

void SessionEvents::OnLinks(const std::string&, const std::string&, const std::string&, const std::string& serverInfo)
{
    model_.AddText(MainCaption, "Server-Info", serverInfo, colour(settings_.SystemColour));
}

void SessionEvents::OnNicksInUse(std::string& nick)
{
    system(MainCaption, sentence(EventKind::NickInUse, nick));
}

void SessionEvents::OnHandlerError(const std::string& message)
{
    system(MainCaption, sentence(EventKind::HandlerError, message));
}

// :bob!b@h PRIVMSG #a :hello
// A private message goes to the partner's query tab, opened in the background if need be
// (not for an ignored nick, whose line is dropped anyway).
void SessionEvents::OnMessage(irc::User* user, irc::Channel* channel, const std::string& content)
{
    Route route = routeOf(user, channel);
    std::string sender = senderOf(user);
    const bool privately = route.kind == Route::Private;
    if (privately && !model_.Ignores().IsIgnored(sender))
        model_.Tabs().OpenInBackground(route.tab);
    model_.Speakers().Spoke(route.tab, sender);
    // A line that names the own nick, or a private one, stands out and marks its tab.
    const bool mention = model_.IsMention(sender, content, privately);
    const std::string where = privately ? std::string() : route.tab;
    const TabId shown = model_.AddText(std::move(route.tab), sender, content, model_.MessageColour(mention));
    if (mention)
        model_.NoteMention(shown, sender, where, content);
    // Also for an ignored nick: the addresses and the flash do not depend on the line.
    model_.CollectUrls(content);
    model_.FlashOnMessage();
}

// :bob!b@h JOIN :#a
void SessionEvents::OnJoin(irc::User* user, irc::Channel* channel)
{
    const std::string nick = nickOf(user);
    const std::string name = nameOf(channel);
    system(name, sentence(EventKind::Join, nick));
    model_.Tabs().AddUserTo(name, nick);
}

// :me!m@h JOIN :#a
void SessionEvents::OnJoined(irc::Channel* channel)
{
    const std::string name = nameOf(channel);
    model_.SetCaption(model_.ServerName() + " [" + name + "]");
    model_.SetCurrentChannel(name);
    model_.ChannelJoined(name);
}

// :bob!b@h KICK #a me :out
void SessionEvents::OnKicked(irc::User* kicker, irc::Channel* channel)
{
    const std::string name = nameOf(channel);
    const std::string own = engine_ ? engine_->CurrentNick() : std::string();
    const std::string reason = kicker ? kicker->Reason : std::string();
    system(name, reason.empty() ? sentence(EventKind::Kick, nickOf(kicker), own)
                                : sentence(EventKind::Kill, nickOf(kicker), own, reason));
    model_.ChannelLeft(name);
}

// :me!m@h PART #a
void SessionEvents::OnParted(irc::Channel* channel)
{
    model_.ChannelLeft(nameOf(channel));
}

// :bob!b@h PART #a :bye
void SessionEvents::OnPart(irc::User* user, irc::Channel* channel)
{
    const std::string nick = nickOf(user);
    system(nameOf(channel), nick + " leaved");
    model_.Tabs().DelUser(nick);
}

// :bob!b@h KICK #a amy :out
void SessionEvents::OnKick(irc::User* user, irc::User* victim, irc::Channel* channel)
{
    const std::string victimNick = nickOf(victim);
    system(nameOf(channel), sentence(EventKind::Kick, nickOf(user), victimNick));
    model_.Tabs().DelUser(victimNick);
}

// :bob!b@h NICK :rob
void SessionEvents::OnNickChange(irc::User* user, const std::string& newNick)
{
    const std::string nick = nickOf(user);
    model_.Tabs().NewNickForUser(nick, newNick);
    model_.AddText(MainCaption, nick, sentence(EventKind::NickChange, nick, newNick), colour(settings_.SystemColour));
}

// :bob!b@h QUIT :gone
void SessionEvents::OnQuit(irc::User* user)
{
    const std::string nick = nickOf(user);
    model_.Tabs().DelUser(nick);
    system(model_.CurrentChannel(), "Quit: " + nick);
}

// :srv 366 me #a :End of NAMES list
// The list is built from the channel's own members and their flags, position by
// position: the engine's whole user table would mix in users of other channels.
void SessionEvents::OnNames(irc::Users&, irc::Channel* channel)
{
    if (channel)
        refill(*channel);
}

void SessionEvents::refill(const irc::Channel& channel)
{
    const irc::ChannelMembers& members = channel.Names;
    std::vector<std::string> nicks;
    std::vector<int> flags;
    nicks.reserve(static_cast<std::size_t>(members.Count()));
    flags.reserve(static_cast<std::size_t>(members.Count()));
    for (int i = 0; i < members.Count(); ++i) {
        nicks.push_back(members.Nick(i));
        flags.push_back(members.Flags(i));
    }
    model_.Tabs().RefillNickList(channel.Name, nicks, flags);
}

// :bob!b@h MODE #a +o-v amy cy
void SessionEvents::OnChannelUpdate(irc::Channel& channel, irc::ChannelUpdate type, irc::User* user, int info)
{
    if (type == irc::ChannelUpdate::User && user)
        model_.Tabs().SetMemberFlags(channel.Name, user->Nick(), info);
}

// :srv 005 me PREFIX=(qaohv)~&@%+ :are supported by this server
// Lists already shown are built again with the new prefixes.
void SessionEvents::OnServerSupport(const irc::ServerSupport& support)
{
    model_.Tabs().SetServerSupport(support);
    if (engine_)
        for (int i = 0; i < engine_->Channels.Count(); ++i)
            refill(*engine_->Channels.Items(i));
}

// :bob!b@h KILL amy :spam
void SessionEvents::OnKill(irc::User* user, const std::string& victim, const std::string& reason)
{
    model_.Tabs().DelUser(victim);
    system(MainCaption, sentence(EventKind::Kill, nickOf(user), victim, reason));
}

// :srv 322 me #a 3 :topic ... :srv 323 me :End of LIST
void SessionEvents::OnList(const std::vector<std::string>& lines, int, bool last)
{
    if (!last)
        return;
    model_.Tabs().NewChannel(ChannelsCaption);
    const Rgb systemColour = colour(settings_.SystemColour);
    for (int i = 0; i < model_.Tabs().Count(); ++i)
        if (model_.Tabs().At(i).Caption == ChannelsCaption)
            for (const auto& line : lines)
                model_.WriteFormattedLine(line, i, systemColour);
    std::vector<std::string_view> names;
    names.reserve(lines.size());
    for (const auto& line : lines)
        names.push_back(ChannelFromListLine(line));
    model_.AddChannelNames(names);
}

// Every line, first.
void SessionEvents::OnRaw(irc::User* user, const std::string& command, const std::string& content, bool&)
{
    // "Conntent" is kept as users know it.
    model_.AppendRaw(nickOf(user) + ": $$$ Command: " + command + "$$$ Conntent: " + content, true);
}

} // namespace pell::session
