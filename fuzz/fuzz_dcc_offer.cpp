// Arbitrary bytes as the text of a DCC offer: split and read as the engine and the
// session window read it, then judged with the download mode that downloads nothing,
// so no input opens a connection. The file name must always come out safe.
#include "dcc/DccNumbers.h"
#include "dcc/DownloadFolder.h"
#include "doubles/EventQueue.h"
#include "doubles/PortFakes.h"
#include "doubles/ScriptedTransport.h"
#include "irc/IrcCtcp.h"
#include "session/Session.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace pell;

namespace {

void checkSafeName(const std::string& name)
{
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        std::abort();
    for (const char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static test::EventQueue queue;
    static settings::AppSettings settings;
    static session::SessionShared shared;
    static session::SessionViewPort view;
    static test::QuietDesktop desktop;
    static test::QuietPrompts prompts;
    static test::NoSaveDialog saveDialog;
    static session::UserInfoModel userInfo;
    settings.DownloadMode = settings::DownloadMode::IgnoreAll;

    const std::string text(reinterpret_cast<const char*>(data), size);
    auto words = irc::JoinQuotedDccName(irc::SplitDccWords(text));
    const std::string file = irc::DccWord(words, 1), ip = irc::DccWord(words, 2), port = irc::DccWord(words, 3);
    const std::string announced = irc::DccWord(words, 4);
    const std::string token = irc::DccWord(words, 5);

    checkSafeName(dcc::SafeFileName(file));
    if (const auto number = dcc::ReadOfferPort(port); number && (*number < 1 || *number > 65535))
        std::abort();
    if (const auto dotted = dcc::DottedFromOffer(ip); dotted && dotted->size() > 15)
        std::abort();
    (void)dcc::ReadOfferSize(announced);
    if (dcc::ExtensionPattern(file).front() != '*')
        std::abort();

    // The offers of a whole session, made the way the program makes one.
    test::ScriptedTransport* server = nullptr;
    session::SessionContext context{queue, settings, shared, {view, desktop, prompts, saveDialog}, userInfo};
    context.Transport = [&server] { return test::ScriptedTransport::Make(server); };
    settings::ServerProfile profile;
    profile.Nick = "me";
    session::Session session(context, profile);
    server->Finish();
    session::DccOffers& offers = session.Offers();
    offers.OnSendOffer("peer", ip, port, file, announced, token);
    offers.OnResume("peer", port, file, announced, token);
    offers.OnAccept("peer", port, file, announced, token);
    queue.pump();
    if (!offers.Downloads().empty())
        std::abort();
    return 0;
}
