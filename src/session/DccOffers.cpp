#include "session/DccOffers.h"

#include "dcc/DccNumbers.h"
#include "dcc/DownloadFolder.h"
#include "dcc/ListenPort.h"
#include "net/LocalAddress.h"
#include "settings/ProgramFolder.h"

#include <algorithm>
#include <exception>

namespace pell::session {

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Nicks compare without case.
bool sameNick(const std::string& a, const std::string& b)
{
    return lower(a) == lower(b);
}

// A name with blanks goes in quotes, as offers with such names come.
std::string quotedName(const std::string& name)
{
    return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

bool matches(const std::vector<std::string>& patterns, const std::string& pattern)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& entry) { return entry == "*.*" || lower(entry) == pattern; });
}

// The last component of a local path; blanks as "_", since receivers split the offer
// at blanks.
std::string offeredName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

} // namespace

dcc::Language DccLanguage(settings::Language language)
{
    return language == settings::Language::German ? dcc::Language::German : dcc::Language::English;
}

DccOffers::DccOffers(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
                     platform::UserPrompts& prompts, platform::GuiDispatcher& gui)
    : irc_(irc), model_(model), settings_(settings), prompts_(prompts), gui_(gui), question_(prompts, gui)
{
}

DccOffers::~DccOffers()
{
    CloseAll();
}

void DccOffers::system(const std::string& text)
{
    model_.AddText("Main", "System", text, static_cast<Rgb>(settings_.SystemColour));
}

void DccOffers::system(dcc::DccMessage message, std::initializer_list<std::string_view> args)
{
    system(dcc::DccText(DccLanguage(settings_.Language), message, args));
}

bool DccOffers::blocked(const std::string& pattern) const
{
    return matches(settings_.DisablePatterns, pattern) || matches(settings_.IgnorePatterns, pattern);
}

bool DccOffers::accepted(const std::string& pattern) const
{
    return matches(settings_.AcceptPatterns, pattern);
}

// DCC SEND file.txt 3232235786 5000 1234 (passive: DCC SEND file.txt 3232235786 0 1234 7)
void DccOffers::OnSendOffer(const std::string& nick, const std::string& address, const std::string& offeredPort,
                            const std::string& fileName, const std::string& fileSize, const std::string& token)
{
    try {
        if (!token.empty() && offeredPort != "0")
            return passiveAnswered(nick, address, offeredPort, fileName, token);
        const bool passive = !token.empty();
        const std::string port = offeredPort.empty() ? "59" : offeredPort;
        const auto host = dcc::HostFromOffer(address);
        if (!host)
            return;
        const std::string tail = nick + "(" + address + ":" + port + "):" + fileName + ":" + fileSize;
        system("DCC Recieve: from " + tail); // "Recieve" is kept as users know it
        const std::string pattern = dcc::ExtensionPattern(fileName);
        if (blocked(pattern)) {
            system("DCC blocked: from " + tail);
            return;
        }
        if (settings_.DownloadMode == settings::DownloadMode::IgnoreAll)
            return;
        // What cannot be taken is refused before anyone is asked; a passive sender
        // connects to us, so its address and port do not matter.
        if (!passive && dcc::NamesNoPeer(*host))
            return system(dcc::DccMessage::OfferBadAddress, {tail, *host});
        const auto number = passive ? std::optional<int>(0) : dcc::ReadOfferPort(port);
        if (!number)
            return system(dcc::DccMessage::OfferBadPort, {tail, port});
        if (downloads_.size() >= MaxDownloads)
            return system(dcc::DccMessage::OfferDropped, {tail});
        const std::uint64_t from = resumableSize(fileName, fileSize);
        const settings::DownloadMode mode = settings_.DownloadMode;
        if (accepted(pattern) || (mode != settings::DownloadMode::Ask && mode != settings::DownloadMode::NotChosen))
            return openDownload(nick, tail, *host, *number, fileName, fileSize, from, token);
        const std::string question =
            from > 0 ? dcc::DccText(DccLanguage(settings_.Language), dcc::DccMessage::ResumeQuestion,
                                    {fileName, fileSize, nick, address, std::to_string(from)})
                     : "Download " + fileName + "(" + fileSize + ") from " + nick + "(" + address + ")";
        const bool asked = question_.Ask(question, [this, nick, tail, host = *host, port = *number, fileName, fileSize,
                                                    from, token](bool yes) {
            // The mode may have changed while the box was open.
            if (!yes || settings_.DownloadMode == settings::DownloadMode::IgnoreAll)
                return;
            try {
                openDownload(nick, tail, host, port, fileName, fileSize, from, token);
            } catch (const std::exception&) {
            }
        });
        if (!asked)
            system(dcc::DccMessage::OfferDropped, {tail});
    } catch (const std::exception&) {
    }
}

std::uint64_t DccOffers::resumableSize(const std::string& fileName, const std::string& fileSize) const
{
    try {
        const auto size = dcc::ResumableSize(dcc::DownloadFolderFor(fileName, rulesNow()), dcc::SafeFileName(fileName),
                                             dcc::ReadOfferSize(fileSize));
        return size.value_or(0);
    } catch (const std::exception&) {
        return 0; // a folder that cannot be made: the download says so
    }
}

void DccOffers::openDownload(const std::string& nick, const std::string& tail, const std::string& host, int port,
                             const std::string& fileName, const std::string& fileSize, std::uint64_t resumeFrom,
                             const std::string& token)
{
    if (downloads_.size() >= MaxDownloads)
        return system(dcc::DccMessage::OfferDropped, {tail});
    dcc::DownloadOffer offer;
    offer.Host = host;
    offer.Port = port;
    offer.FileName = fileName;
    offer.Nick = nick;
    offer.ResumeFrom = resumeFrom;
    offer.Token = token;
    const std::uint64_t size = dcc::ReadOfferSize(fileSize);
    offer.FileSize = size > static_cast<std::uint64_t>(INT64_MAX) ? 0 : static_cast<std::int64_t>(size);
    auto& download = downloads_.emplace_back(std::make_unique<dcc::DccDownload>(gui_, offer, rulesNow(), Timing));
    const settings::AppSettings& settings = settings_;
    download->LanguageNow = [&settings] { return DccLanguage(settings.Language); };
    const std::optional<int> listenPort = offer.Passive() ? download->Listen(ListenPorts()) : std::nullopt;
    if (offer.Passive() && !listenPort) {
        downloads_.pop_back();
        return system(dcc::DccMessage::ReceiveNoPort, {fileName});
    }
    // The worker's reports go through this thread, so the window made next sees every one.
    download->StartDownload();
    if (DownloadOpened)
        DownloadOpened(*download);
    const std::string tokenWord = token.empty() ? "" : " " + token;
    if (resumeFrom > 0)
        irc_.CtcpQuery(nick, "DCC", "RESUME " + quotedName(fileName) + " " + std::to_string(port) + " " +
                                         std::to_string(resumeFrom) + tokenWord);
    else if (listenPort)
        answerPassive(*download, *listenPort);
}

// DCC SEND file.txt <our address> <our port> 1234 7: the sender of the passive offer
// connects there.
void DccOffers::answerPassive(const dcc::DccDownload& download, int listenPort)
{
    const dcc::DownloadOffer& offer = download.Offer();
    irc_.CtcpQuery(offer.Nick, "DCC", "SEND " + quotedName(offer.FileName) + " " + net::OfferAddressOf(LocalAddress()) +
                                          " " + std::to_string(listenPort) + " " + std::to_string(offer.FileSize) +
                                          " " + offer.Token);
}

// DCC SEND file.txt 2130706433 5000 100 7: the receiver of our passive offer 7 listens.
void DccOffers::passiveAnswered(const std::string& nick, const std::string& address, const std::string& port,
                                const std::string& fileName, const std::string& token)
{
    const std::string tail = nick + "(" + address + ":" + port + "):" + fileName;
    system("DCC Send: answer from " + tail);
    const dcc::Language language = DccLanguage(settings_.Language);
    const auto ignore = [&](dcc::DccMessage reason, std::initializer_list<std::string_view> args) {
        system(dcc::DccMessage::ReplyIgnored, {nick, dcc::DccText(language, reason, args)});
    };
    const auto found = std::find_if(sends_.begin(), sends_.end(), [&](const auto& s) { return s->Token == token; });
    if (found == sends_.end())
        return ignore(dcc::DccMessage::UnknownToken, {token});
    dcc::DccSend& send = **found;
    if (!sameNick(send.RemoteNick, nick))
        return ignore(dcc::DccMessage::OfferedToOther, {send.RemoteNick});
    if (send.Answered())
        return ignore(dcc::DccMessage::AlreadyAnswered, {});
    const auto host = dcc::HostFromOffer(address);
    if (!host)
        return;
    if (dcc::NamesNoPeer(*host))
        return system(dcc::DccMessage::OfferBadAddress, {tail, *host});
    const auto number = dcc::ReadOfferPort(port);
    if (!number)
        return system(dcc::DccMessage::OfferBadPort, {tail, port});
    send.ConnectTo(*host, *number);
}

dcc::DownloadRules DccOffers::rulesNow() const
{
    dcc::DownloadRules rules;
    for (const auto& rule : settings_.FolderRules)
        rules.Rules.push_back({rule.Pattern, rule.Folder});
    rules.DefaultFolder = DefaultDownloadFolder.empty() ? settings::defaultDownloadFolder(settings::ProgramFolder())
                                                        : DefaultDownloadFolder;
    return rules;
}

dcc::DccSend* DccOffers::sendFor(const std::string& offeredPort, const std::string& token)
{
    const auto port = dcc::ReadOfferPort(offeredPort);
    const auto found = std::find_if(sends_.begin(), sends_.end(), [&](const auto& s) {
        return token.empty() ? port && s->Token.empty() && s->Port == *port : s->Token == token;
    });
    return found == sends_.end() ? nullptr : found->get();
}

void DccOffers::OnResume(const std::string& nick, const std::string& offeredPort, const std::string& fileName,
                         const std::string& position, const std::string& token)
{
    system("DCC Resume: " + nick + ": (" + offeredPort + ") " + fileName);
    const dcc::Language language = DccLanguage(settings_.Language);
    const auto refuse = [&](dcc::DccMessage reason, std::initializer_list<std::string_view> args) {
        system(dcc::DccMessage::ResumeRefused, {nick, offeredPort, dcc::DccText(language, reason, args)});
    };
    dcc::DccSend* const found = sendFor(offeredPort, token);
    if (!found && !token.empty())
        return refuse(dcc::DccMessage::UnknownToken, {token});
    if (!found)
        return refuse(dcc::DccMessage::NoOfferOnPort, {offeredPort});
    dcc::DccSend& send = *found;
    if (!sameNick(send.RemoteNick, nick))
        return refuse(dcc::DccMessage::OfferedToOther, {send.RemoteNick});
    const std::uint64_t at = dcc::ReadOfferSize(position);
    if (at > static_cast<std::uint64_t>(send.FileSize))
        return refuse(dcc::DccMessage::BeyondTheSize, {position, std::to_string(send.FileSize)});
    send.ResumeAt(at);
    irc_.CtcpQuery(nick, "DCC", "ACCEPT " + quotedName(fileName) + " " + offeredPort + " " + std::to_string(at) +
                                    (token.empty() ? "" : " " + token));
}

void DccOffers::OnAccept(const std::string& nick, const std::string& offeredPort, const std::string& fileName,
                         const std::string& position, const std::string& token)
{
    system("DCC Accept: " + nick + ": (" + offeredPort + ") " + fileName);
    const auto port = dcc::ReadOfferPort(offeredPort);
    const std::uint64_t at = dcc::ReadOfferSize(position);
    for (const auto& download : downloads_) {
        const dcc::DownloadOffer& offer = download->Offer();
        const bool ours = offer.Passive() ? offer.Token == token : port && offer.Port == *port;
        if (!ours || !sameNick(offer.Nick, nick) || offer.ResumeFrom != at || !download->ResumeAccepted())
            continue;
        // A passive download listens already; now the sender learns where.
        if (offer.Passive())
            answerPassive(*download, download->ListenPort());
        return;
    }
    system(dcc::DccMessage::AcceptIgnored, {nick, offeredPort});
}

void DccOffers::OfferFile(const std::string& nick, const std::string& path)
{
    system("DCC send:  " + nick + ":" + path);
    auto& send = sends_.emplace_back(std::make_unique<dcc::DccSend>(gui_, SendTiming));
    send->RemoteNick = nick;
    const settings::AppSettings& settings = settings_;
    send->LanguageNow = [&settings] { return DccLanguage(settings.Language); };
    // A passive offer opens no port: the receiver listens and answers with its own.
    if (settings_.OfferFilesPassively)
        send->Token = dcc::NextPassiveToken();
    bool listening = settings_.OfferFilesPassively;
    const bool ready = platform::runReported(prompts_, [&] {
        send->SetSendFile(path);
        if (!listening)
            listening = send->OpenListener(ListenPorts());
    });
    if (SendOpened)
        SendOpened(*send);
    if (!ready)
        return;
    if (!listening)
        return system(dcc::DccMessage::SendNoPort, {path});
    // Announced only once the listener is known to work.
    const std::string local = LocalAddress();
    const auto slash = path.find_last_of('/');
    irc_.Notice(nick, "DCC Send " + (slash == std::string::npos ? path : path.substr(slash + 1)) + " (" + local + ")");
    const std::string tokenWord = send->Token.empty() ? "" : " " + send->Token;
    irc_.CtcpQuery(nick, "DCC", "SEND " + offeredName(path) + " " + net::OfferAddressOf(local) + " " +
                                     std::to_string(send->Port) + " " + std::to_string(send->FileSize) + tokenWord);
}

void DccOffers::Close(const dcc::DccDownload* download)
{
    std::erase_if(downloads_, [download](const auto& d) { return d.get() == download; });
}

void DccOffers::Close(const dcc::DccSend* send)
{
    std::erase_if(sends_, [send](const auto& s) { return s.get() == send; });
}

void DccOffers::CloseAll()
{
    downloads_.clear();
    sends_.clear();
}

} // namespace pell::session
