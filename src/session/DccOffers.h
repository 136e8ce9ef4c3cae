#pragma once

#include "dcc/DccDownload.h"
#include "dcc/DccSend.h"
#include "irc/Client.h"
#include "platform/GuiDispatcher.h"
#include "platform/UserPrompts.h"
#include "session/SessionModel.h"
#include "settings/AppSettings.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pell::session {

// The file side of DCC in a session window: judges incoming offers against the
// extension lists and the download mode, logs every request in "Main", and owns the
// download and send transfers it opens. Peer texts are logged as they came; the
// views show them as plain text.
class DccOffers {
public:
    // At most this many download windows per session at once (running or finished and
    // still open); further offers are logged and dropped.
    static constexpr std::size_t MaxDownloads = 32;

    DccOffers(irc::Client& irc, SessionModel& model, const settings::AppSettings& settings,
              platform::UserPrompts& prompts, platform::GuiDispatcher& gui);
    ~DccOffers();
    DccOffers(const DccOffers&) = delete;
    DccOffers& operator=(const DccOffers&) = delete;

    // DCC SEND file.txt 3232235786 5000 1234
    void OnSendOffer(const std::string& nick, const std::string& address, const std::string& offeredPort,
                       const std::string& fileName, const std::string& fileSize);
    void OnResume(const std::string& nick, const std::string& offeredPort, const std::string& fileName);
    void OnAccept(const std::string& nick, const std::string& offeredPort, const std::string& fileName);
    // Offers the file at path to the nick: a send window, a notice and the CTCP offer.
    void OfferFile(const std::string& nick, const std::string& path);
    std::string LocalAddress();
    // True while a question box of this session is open; chat offers share it.
    bool& Asking() { return asking_; }

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
    dcc::ReceiveTiming Timing;
    int SendAckWaitMs = dcc::DccSend::AckWait;

private:
    void system(const std::string& text);
    bool blocked(const std::string& pattern) const;
    bool accepted(const std::string& pattern) const;
    void openDownload(const std::string& nick, const std::string& ip, const std::string& port,
                      const std::string& fileName, const std::string& fileSize, const std::string& host);
    dcc::DownloadRules rulesNow() const;

    irc::Client& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    platform::GuiDispatcher& gui_;
    bool asking_ = false; // one question box per session at a time
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::unique_ptr<dcc::DccDownload>> downloads_;
    std::vector<std::unique_ptr<dcc::DccSend>> sends_;
};

} // namespace pell::session
