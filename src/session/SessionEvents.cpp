#include "session/SessionEvents.h"

#include "irc/TIdIRCChannel.h"
#include "irc/TIdIRCUser.h"
#include "session/ChannelListLine.h"

namespace pell::session {

namespace {

constexpr const char* SystemNick = "System";
constexpr const char* ChannelsCaption = "Channels";

// Absent records count as an empty nick or name.
std::string nickOf(const irc::TIdIRCUser* user)
{
    return user ? user->Nick() : std::string();
}

std::string nameOf(const irc::TIdIRCChannel* channel)
{
    return channel ? channel->Name : std::string();
}

} // namespace

SessionEvents::SessionEvents(irc::TIdIRC& irc, SessionModel& model, const settings::AppSettings& settings)
    : irc_(irc), model_(model), settings_(settings)
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

void SessionEvents::Bind()
{
    irc_.OnMessage = [this](User u, Channel c, const std::string& content) { message(u, c, content); };
    irc_.OnNotice = [this](User u, Channel c, const std::string& content) {
        model_.AddText(nameOf(c), nickOf(u), content, colour(settings_.SystemColour));
    };
    irc_.OnAction = [this](User u, Channel c, const std::string& content) {
        model_.AddText(nameOf(c), "Action", nickOf(u) + " " + content, colour(settings_.ActionColour));
    };
    irc_.OnJoin = [this](User u, Channel c) { join(u, c); };
    irc_.OnJoined = [this](Channel c) { joined(c); };
    irc_.OnPart = [this](User u, Channel c) { part(u, c); };
    irc_.OnKick = [this](User u, User victim, Channel c) { kick(u, victim, c); };
    irc_.OnNickChange = [this](User u, const std::string& newNick) { nickChange(u, newNick); };
    // A change of the own nick shows nowhere: the nick lists keep the old one.
    irc_.OnNickChanged = [](const std::string&) {};
    irc_.OnTopic = [this](User, Channel, const std::string& name, const std::string& topic) {
        system(name, "Topic: " + topic);
    };
    irc_.OnNoTopic = [this](Channel c, const std::string& content) { system(nameOf(c), "No Topic: " + content); };
    irc_.OnQuit = [this](User u) { quit(u); };
    irc_.OnNames = [this](irc::TIdIRCUsers&, Channel c) { names(c); };
    irc_.OnInvite = [this](User, const std::string& channel) { model_.Tabs().NewChannel(channel); };
    irc_.OnInviting = [this](const std::string&, const std::string& channel) { model_.Tabs().NewChannel(channel); };
    irc_.OnOp = [this](User u, Channel c, User target) {
        system(MainCaption, "Op :" + nickOf(u) + " at " + nameOf(c) + " to " + nickOf(target));
    };
    // The sentence names the banned mask; nick lists stay as they are, since a mask
    // need not match anyone listed and a ban removes nobody from the channel.
    irc_.OnBan = [this](User, Channel c, const std::string& mask) { system(nameOf(c), sentence(EventKind::Ban, mask)); };
    irc_.OnUnban = [this](User, Channel c, const std::string& mask) { system(nameOf(c), "Unban: " + mask); };
    irc_.OnChannelMode = [this](User u, Channel, const std::string& name, const std::string& modes) {
        model_.AddText(name, u ? u->Nick() : SystemNick, "Channelmode: " + modes, colour(settings_.SystemColour));
    };
    irc_.OnUserMode = [this](const std::string& modes) { system(MainCaption, modes); };
    irc_.OnKill = [this](User u, const std::string& victim, const std::string& reason) { kill(u, victim, reason); };
    irc_.OnAway = [this](User u) { system(MainCaption, sentence(EventKind::Away, nickOf(u))); };
    irc_.OnNowAway = [this](const std::string& content) { system(MainCaption, content); };
    irc_.OnUnAway = [this](const std::string& content) { system(MainCaption, "Unaway: " + content); };
    irc_.OnWallops = [this](User u, const std::string& content) {
        system(MainCaption, "Wallops: " + nickOf(u) + " " + content);
    };
    irc_.OnSystem = [this](User u, int, const std::string&, const std::string& content) {
        model_.AddText(MainCaption, nickOf(u), content, colour(settings_.SystemColour));
    };
    irc_.OnError = [this](User, const std::string&, const std::string& error) { system(MainCaption, error); };
    irc_.OnUnknownCommand = [this](User, const std::string& command, const std::string& content) {
        system(MainCaption, "Unkown command: " + content + command);
    };
    irc_.OnCTCPQuery = [this](User u, Channel c, const std::string& command, const std::string& args, bool&) {
        system(MainCaption, "CTCPQuery: " + nickOf(u) + ":" + nameOf(c) + ":" + command + ":" + args);
    };
    irc_.OnCTCPReply = [this](User u, Channel c, const std::string& command, const std::string& args) {
        system(MainCaption, "CTCPReply: " + nickOf(u) + ":" + nameOf(c) + ":" + command + ":" + args);
    };
    irc_.OnPingPong = [this] { system(MainCaption, "Ping Pong"); };
    irc_.OnLinks = [this](const std::string&, const std::string&, const std::string&, const std::string& info) {
        model_.AddText(MainCaption, "Server-Info", info, colour(settings_.SystemColour));
    };
    irc_.OnList = [this](const std::vector<std::string>& lines, int, bool last) { list(lines, last); };
    irc_.OnRaw = [this](User u, const std::string& command, const std::string& content, bool&) {
        raw(u, command, content);
    };
    irc_.OnSocketError = [this](const std::string&, const std::string& message) { model_.AppendRaw(message, false); };
    // The line comes before the new-nick prompt, which the lifecycle adds to this handler.
    irc_.OnNicksInUse = [this](std::string& nick) { system(MainCaption, sentence(EventKind::NickInUse, nick)); };
    irc_.OnHandlerError = [this](const std::string& message) {
        system(MainCaption, sentence(EventKind::HandlerError, message));
    };
    irc_.OnReceive = [](const std::string&) {};
}

// :bob!b@h PRIVMSG #a :hello
void SessionEvents::message(User user, Channel channel, const std::string& content)
{
    model_.AddText(nameOf(channel), nickOf(user), content, colour(settings_.OthersColour));
    // Also for an ignored nick: the addresses and the flash do not depend on the line.
    model_.CollectUrls(content);
    model_.FlashOnMessage();
}

// :bob!b@h JOIN :#a
void SessionEvents::join(User user, Channel channel)
{
    const std::string nick = nickOf(user);
    const std::string name = nameOf(channel);
    system(name, sentence(EventKind::Join, nick));
    model_.Tabs().AddUserTo(name, nick);
}

// :me!m@h JOIN :#a
void SessionEvents::joined(Channel channel)
{
    const std::string name = nameOf(channel);
    model_.SetCaption(model_.ServerName() + " [" + name + "]");
    model_.SetCurrentChannel(name);
}

// :bob!b@h PART #a :bye
void SessionEvents::part(User user, Channel channel)
{
    const std::string nick = nickOf(user);
    system(nameOf(channel), nick + " leaved");
    model_.Tabs().DelUser(nick);
}

// :bob!b@h KICK #a amy :out
void SessionEvents::kick(User user, User victim, Channel channel)
{
    const std::string victimNick = nickOf(victim);
    system(nameOf(channel), sentence(EventKind::Kick, nickOf(user), victimNick));
    model_.Tabs().DelUser(victimNick);
}

// :bob!b@h NICK :rob
void SessionEvents::nickChange(User user, const std::string& newNick)
{
    const std::string nick = nickOf(user);
    model_.Tabs().NewNickForUser(nick, newNick);
    model_.AddText(MainCaption, nick, sentence(EventKind::NickChange, nick, newNick), colour(settings_.SystemColour));
}

// :bob!b@h QUIT :gone
void SessionEvents::quit(User user)
{
    const std::string nick = nickOf(user);
    model_.Tabs().DelUser(nick);
    system(model_.CurrentChannel(), "Quit: " + nick);
}

// :srv 366 me #a :End of NAMES list
// The list is built from the channel's own members and their flags, position by
// position: the engine's whole user table would mix in users of other channels.
void SessionEvents::names(Channel channel)
{
    if (!channel)
        return;
    const irc::TIdIRCNames& members = channel->Names;
    std::vector<std::string> nicks;
    std::vector<int> flags;
    nicks.reserve(static_cast<std::size_t>(members.Count()));
    flags.reserve(static_cast<std::size_t>(members.Count()));
    for (int i = 0; i < members.Count(); ++i) {
        nicks.push_back(members.Strings(i));
        flags.push_back(members.Flags(i) & (irc::nfOperator | irc::nfVoice));
    }
    model_.Tabs().RefillNickList(channel->Name, nicks, flags);
}

// :bob!b@h KILL amy :spam
void SessionEvents::kill(User user, const std::string& victim, const std::string& reason)
{
    model_.Tabs().DelUser(victim);
    system(MainCaption, sentence(EventKind::Kill, nickOf(user), victim, reason));
}

// :srv 322 me #a 3 :topic ... :srv 323 me :End of LIST
void SessionEvents::list(const std::vector<std::string>& lines, bool last)
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
void SessionEvents::raw(User user, const std::string& command, const std::string& content)
{
    model_.AppendRaw(nickOf(user) + ": $$$ Command: " + command + "$$$ Conntent: " + content, true);
}

} // namespace pell::session
