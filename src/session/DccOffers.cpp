#include "session/DccOffers.h"

#include "dcc/DccNumbers.h"
#include "dcc/DownloadFolder.h"
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

DccOffers::DccOffers(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
                     platform::UserPrompts& prompts, platform::GuiDispatcher& gui)
    : irc_(irc), model_(model), settings_(settings), prompts_(prompts), gui_(gui)
{
}

DccOffers::~DccOffers()
{
    *alive_ = false;
    CloseAll();
}

void DccOffers::system(const std::string& text)
{
    model_.AddText("Main", "System", text, static_cast<Rgb>(settings_.SystemColour));
}

bool DccOffers::blocked(const std::string& pattern) const
{
    return matches(settings_.DisablePatterns, pattern) || matches(settings_.IgnorePatterns, pattern);
}

bool DccOffers::accepted(const std::string& pattern) const
{
    return matches(settings_.AcceptPatterns, pattern);
}

// DCC SEND file.txt 3232235786 5000 1234
void DccOffers::OnSendOffer(const std::string& nick, const std::string& address, const std::string& offeredPort,
                              const std::string& fileName, const std::string& fileSize)
{
    try {
        const std::string port = offeredPort.empty() ? "59" : offeredPort;
        const auto host = dcc::HostFromOffer(address);
        if (!host)
            return;
        const std::string tail = nick + "(" + address + ":" + port + "):" + fileName + ":" + fileSize;
        system("DCC Recieve: from " + tail);
        const std::string pattern = dcc::ExtensionPattern(fileName);
        if (blocked(pattern)) {
            system("DCC blocked: from " + tail);
            return;
        }
        bool take = accepted(pattern);
        const settings::DownloadMode mode = settings_.DownloadMode;
        if (!take && (mode == settings::DownloadMode::Ask || mode == settings::DownloadMode::NotChosen)) {
            if (asking_) {
                system("DCC dropped: from " + tail);
                return;
            }
            asking_ = true;
            const auto alive = alive_;
            const std::string question =
                "Download " + fileName + "(" + fileSize + ") from " + nick + "(" + address + ")";
            take = prompts_.askYesNo("Confirm", question);
            if (!*alive)
                return; // the session went while the box was open
            asking_ = false;
        } else if (!take) {
            take = true;
        }
        if (take && mode != settings::DownloadMode::IgnoreAll)
            openDownload(nick, address, port, fileName, fileSize, *host);
    } catch (const std::exception&) {
        asking_ = false;
    }
}

void DccOffers::openDownload(const std::string& nick, const std::string& ip, const std::string& port,
                             const std::string& fileName, const std::string& fileSize, const std::string& host)
{
    if (downloads_.size() >= MaxDownloads) {
        system("DCC dropped: from " + nick + "(" + ip + ":" + port + "):" + fileName + ":" + fileSize);
        return;
    }
    dcc::DownloadOffer offer;
    offer.Host = host;
    offer.FileName = fileName;
    const std::uint64_t size = dcc::ReadOfferSize(fileSize);
    offer.FileSize = size > static_cast<std::uint64_t>(INT64_MAX) ? 0 : static_cast<std::int64_t>(size);
    const auto number = dcc::ReadOfferPort(port);
    offer.Port = number.value_or(0);
    auto& download = downloads_.emplace_back(std::make_unique<dcc::DccDownload>(gui_, offer, rulesNow(), Timing));
    // A port that is not one leaves the window open without a transfer. The worker's
    // reports wait for this thread, so the window made next sees every one.
    if (number)
        download->StartDownload();
    if (DownloadOpened)
        DownloadOpened(*download);
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

void DccOffers::OnResume(const std::string& nick, const std::string& offeredPort, const std::string& fileName)
{
    system("DCC Resume: " + nick + ": (" + offeredPort + ") " + fileName);
}

void DccOffers::OnAccept(const std::string& nick, const std::string& offeredPort, const std::string& fileName)
{
    system("DCC Accept: " + nick + ": (" + offeredPort + ") " + fileName);
}

void DccOffers::OfferFile(const std::string& nick, const std::string& path)
{
    system("DCC send:  " + nick + ":" + path);
    const std::string local = LocalAddress();
    const auto slash = path.find_last_of('/');
    irc_.Notice(nick, "DCC Send " + (slash == std::string::npos ? path : path.substr(slash + 1)) + " (" + local + ")");
    auto& send = sends_.emplace_back(std::make_unique<dcc::DccSend>(gui_, SendAckWaitMs));
    bool listening = false;
    const bool ready = platform::runReported(prompts_, [&] {
        send->SetSendFile(path);
        listening = send->OpenListener();
    });
    if (SendOpened)
        SendOpened(*send);
    if (!ready)
        return;
    if (!listening) {
        system("DCC send failed: no free port for " + path);
        return;
    }
    irc_.CtcpQuery(nick, "DCC", "SEND " + offeredName(path) + " " + net::OfferAddressOf(local) + " " +
                                     std::to_string(send->Port) + " " + std::to_string(send->FileSize));
}

std::string DccOffers::LocalAddress()
{
    return irc_.LocalAddress();
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
