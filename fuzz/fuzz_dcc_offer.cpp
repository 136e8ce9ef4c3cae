// Arbitrary bytes as the text of a DCC offer: split and read as the engine and the
// session window read it, then judged with the download mode that downloads nothing,
// so no input opens a connection. The file name must always come out safe.
#include "direct/DccNumbers.h"
#include "direct/DownloadFolder.h"
#include "irc/IrcCtcp.h"
#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "platform/QuietPorts.h"
#include "session/DccOffers.h"
#include "session/SessionModel.h"

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
    static platform::EventQueue queue;
    static settings::AppSettings settings;
    static session::SessionShared shared;
    static session::SessionViewPort view;
    static platform::QuietDesktop desktop;
    static platform::QuietPrompts prompts;
    static platform::NoSaveDialog saveDialog;
    settings.DownloadMode = 2;

    const std::string text(reinterpret_cast<const char*>(data), size);
    auto words = irc::JoinQuotedDccName(irc::SplitDccWords(text));
    const std::string file = irc::DccWord(words, 1), ip = irc::DccWord(words, 2), port = irc::DccWord(words, 3);
    const std::string announced = irc::DccWord(words, 4);

    checkSafeName(direct::SafeFileName(file));
    if (const auto number = direct::ReadOfferPort(port); number && (*number < 1 || *number > 65535))
        std::abort();
    if (const auto dotted = direct::DottedFromOffer(ip); dotted && dotted->size() > 15)
        std::abort();
    (void)direct::ReadOfferSize(announced);
    if (direct::ExtensionPattern(file).front() != '*')
        std::abort();

    session::SessionModel model(settings, shared, session::SessionPorts{view, desktop, prompts, saveDialog});
    irc::TIdIRC irc(queue);
    session::DccOffers offers(irc, model, settings, prompts, queue);
    offers.IdIRC1DCCSend("peer", ip, port, file, announced);
    offers.IdIRC1DCCResume("peer", port, file);
    if (!offers.Downloads().empty())
        std::abort();
    return 0;
}
