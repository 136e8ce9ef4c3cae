#pragma once

#include "direct/DccDownload.h"
#include "direct/DccSend.h"
#include "irc/TIdIRC.h"
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

    DccOffers(irc::TIdIRC& irc, SessionModel& model, const settings::AppSettings& settings,
              platform::UserPrompts& prompts, platform::GuiDispatcher& gui);
    ~DccOffers();
    DccOffers(const DccOffers&) = delete;
    DccOffers& operator=(const DccOffers&) = delete;

    // Assigns OnDCCSend, OnDCCResume and OnDCCAccept.
    void Bind();

    void IdIRC1DCCSend(const std::string& ANick, const std::string& AIp, const std::string& APort,
                       const std::string& AFileName, const std::string& AFileSize);
    void IdIRC1DCCResume(const std::string& ANick, const std::string& APort, const std::string& AFileName);
    void IdIRC1DCCAccept(const std::string& ANick, const std::string& APort, const std::string& AFileName);
    // Offers the file at path to the nick: a send window, a notice and the CTCP offer.
    void OnChannelDCCSend(const std::string& ANick, const std::string& path);
    std::string LocalAddress();
    // True while a question box of this session is open; chat offers share it.
    bool& Asking() { return asking_; }

    const std::vector<std::unique_ptr<direct::DccDownload>>& Downloads() const { return downloads_; }
    const std::vector<std::unique_ptr<direct::DccSend>>& Sends() const { return sends_; }
    // The window of a transfer closed: the transfer ends and goes.
    void Close(const direct::DccDownload* download);
    void Close(const direct::DccSend* send);
    void CloseAll();

    // The views make a window for each new transfer (before a download starts).
    std::function<void(direct::DccDownload&)> DownloadOpened;
    std::function<void(direct::DccSend&)> SendOpened;

    // Where "Rootfolder" points; empty means the program folder's "Downloads/".
    std::string DefaultDownloadFolder;
    direct::ReceiveTiming Timing;
    int SendAckWaitMs = direct::DccSend::AckWait;

private:
    void system(const std::string& text);
    bool blocked(const std::string& pattern) const;
    bool accepted(const std::string& pattern) const;
    void openDownload(const std::string& nick, const std::string& ip, const std::string& port,
                      const std::string& fileName, const std::string& fileSize, const std::string& host);
    direct::DownloadRules rulesNow() const;

    irc::TIdIRC& irc_;
    SessionModel& model_;
    const settings::AppSettings& settings_;
    platform::UserPrompts& prompts_;
    platform::GuiDispatcher& gui_;
    bool asking_ = false; // one question box per session at a time
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::unique_ptr<direct::DccDownload>> downloads_;
    std::vector<std::unique_ptr<direct::DccSend>> sends_;
};

} // namespace pell::session
