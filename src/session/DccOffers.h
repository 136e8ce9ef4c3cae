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
    void OnSendOffer(const std::string& nick, const std::string& address, const std::string& offeredPort,
                       const std::string& fileName, const std::string& fileSize);
    // DCC RESUME file.txt 5000 40000: one of our send offers, to that nick, on that port,
    // is served from the position on once we have answered DCC ACCEPT; else refused.
    void OnResume(const std::string& nick, const std::string& offeredPort, const std::string& fileName,
                  const std::string& position);
    // DCC ACCEPT file.txt 5000 40000: the sender agreed to the resume we asked for.
    void OnAccept(const std::string& nick, const std::string& offeredPort, const std::string& fileName,
                  const std::string& position);
    // Offers the file at path to the nick: a send window that listens, then a notice
    // and the CTCP offer.
    void OfferFile(const std::string& nick, const std::string& path);
    // The address our offers name: OfferAddress when set, else the engine's.
    std::string LocalAddress();
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
                      const std::string& fileName, const std::string& fileSize, std::uint64_t resumeFrom);
    std::uint64_t resumableSize(const std::string& fileName, const std::string& fileSize) const;
    dcc::DownloadRules rulesNow() const;

    irc::Client& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    platform::GuiDispatcher& gui_;
    std::vector<std::unique_ptr<dcc::DccDownload>> downloads_;
    std::vector<std::unique_ptr<dcc::DccSend>> sends_;
    OfferQuestion question_;
};

} // namespace pell::session
