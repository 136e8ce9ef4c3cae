#pragma once

#include "dcc/DccDownload.h"
#include "dcc/DccSend.h"
#include "dcc/DccText.h"
#include "irc/Client.h"
#include "platform/GuiDispatcher.h"
#include "platform/UserPrompts.h"
#include "session/OfferQuestion.h"
#include "session/SessionModel.h"
#include "settings/AppSettings.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pell::session {

// The DCC texts' language for the interface language.
dcc::Language DccLanguage(settings::Language language);

// The file side of DCC in a session window: judges incoming offers against the
// extension lists and the download mode, logs every request in "Main", and owns the
// download and send transfers it opens. Offers that need a question wait for the
// session's one OfferQuestion, which the chat side shares. Peer texts are logged as
// they came; the views show them as plain text.
class DccOffers {
public:
    // At most this many download windows per session at once (running or finished and
    // still open); further offers are logged and dropped before anything is asked.
    static constexpr std::size_t MaxDownloads = 32;

    DccOffers(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
              platform::UserPrompts& prompts, platform::GuiDispatcher& gui);
    ~DccOffers();
    DccOffers(const DccOffers&) = delete;
    DccOffers& operator=(const DccOffers&) = delete;

    // DCC SEND file.txt 3232235786 5000 1234. A file already stored under that name with
    // fewer bytes than offered is continued: asked like a download (or taken by the same
    // lists), then DCC RESUME, and the transfer waits for the sender's DCC ACCEPT.
    // A passive offer (port 0 and a token after the size) is taken alike, but we listen
    // and answer with our address, port and the token; the sender connects to us. An
    // answer to one of our passive offers (a port and its token) starts that send.
    void OnSendOffer(const std::string& nick, const std::string& address, const std::string& offeredPort,
                     const std::string& fileName, const std::string& fileSize, const std::string& token);
    // DCC RESUME file.txt 5000 40000: one of our send offers, to that nick, on that port
    // (a passive one: with that token), is served from the position on once we have
    // answered DCC ACCEPT; else refused.
    void OnResume(const std::string& nick, const std::string& offeredPort, const std::string& fileName,
                  const std::string& position, const std::string& token);
    // DCC ACCEPT file.txt 5000 40000: the sender agreed to the resume we asked for.
    void OnAccept(const std::string& nick, const std::string& offeredPort, const std::string& fileName,
                  const std::string& position, const std::string& token);
    // Offers the file at path to the nick: a send window that listens (none for a
    // passive offer), then a notice and the CTCP offer.
    void OfferFile(const std::string& nick, const std::string& path);
    // The address our offers name: OfferAddress when set, else as the options say (the
    // engine's, the one the server sees, or the typed one).
    std::string LocalAddress();
    // The ports our listeners take, as the options say.
    dcc::PortRange ListenPorts() const;
    // Forgets the address the server saw and asks again (USERHOST of the own nick), when
    // the options want offers to name it: at each registration.
    void AskSeenAddress();
    // A USERHOST reply ("me :alice=+al@host"): true when it answers AskSeenAddress,
    // whose answer is kept and not shown.
    bool TakeUserhostReply(const std::string& content);
    // The session's one question about offers; the chat side shares it.
    OfferQuestion& Question() { return question_; }

    const std::vector<std::unique_ptr<dcc::DccDownload>>& Downloads() const { return downloads_; }
    const std::vector<std::unique_ptr<dcc::DccSend>>& Sends() const { return sends_; }
    // The window of a transfer closed: the transfer ends and goes.
    void Close(const dcc::DccDownload* download);
    void Close(const dcc::DccSend* send);
    void CloseAll();

    // The views make a window for each new transfer (before a download starts).
    std::function<void(dcc::DccDownload&)> DownloadOpened;
    std::function<void(dcc::DccSend&)> SendOpened;

    // Where "Rootfolder" points; empty means the program folder's "Downloads/".
    std::string DefaultDownloadFolder;
    // The dotted address put into offers; empty finds it (net::LocalAddressOf).
    std::string OfferAddress;
    dcc::ReceiveTiming Timing;
    dcc::SendTiming SendTiming;

private:
    void system(const std::string& text);
    void system(dcc::DccMessage message, std::initializer_list<std::string_view> args);
    bool blocked(const std::string& pattern) const;
    bool accepted(const std::string& pattern) const;
    void openDownload(const std::string& nick, const std::string& tail, const std::string& host, int port,
                      const std::string& fileName, const std::string& fileSize, std::uint64_t resumeFrom,
                      const std::string& token);
    std::uint64_t resumableSize(const std::string& fileName, const std::string& fileSize) const;
    void passiveAnswered(const std::string& nick, const std::string& address, const std::string& port,
                         const std::string& fileName, const std::string& token);
    void answerPassive(const dcc::DccDownload& download, int listenPort);
    dcc::DccSend* sendFor(const std::string& offeredPort, const std::string& token);
    std::string seenAddress();
    dcc::DownloadRules rulesNow() const;

    irc::Client& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    platform::GuiDispatcher& gui_;
    std::vector<std::unique_ptr<dcc::DccDownload>> downloads_;
    std::vector<std::unique_ptr<dcc::DccSend>> sends_;
    OfferQuestion question_;
    bool askedSeenAddress_ = false;
    std::string seenHost_;    // the host in the server's USERHOST reply
    std::string seenAddress_; // and its address, once looked up
};

} // namespace pell::session
