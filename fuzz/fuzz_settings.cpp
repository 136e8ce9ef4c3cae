// Feeds arbitrary bytes, as the text of a settings file, to every settings loader:
// the line splitter, the AppSettings files, the server list (lookup, auto-connect and the
// server views) and the template store. None may crash; conversion errors are expected.
#include "doubles/PortFakes.h"
#include "settings/AppSettingsFiles.h"
#include "settings/PasswordScrambler.h"
#include "app/ServerViews.h"
#include "app/SessionLauncher.h"
#include "settings/SettingsError.h"
#include "settings/TemplateStore.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pell::app;
using namespace pell::settings;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

class CountingWindows : public SessionWindowFactory {
public:
    void createSessionWindow(const ServerProfile&) override { ++created; }
    int created = 0;
};

template <typename Apply>
void load(Apply apply, const Lines& lines)
{
    AppSettings settings;
    try {
        apply(settings, lines);
    } catch (const ConversionError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Lines lines = parseLines(text);
    check(parseLines(joinLines(lines)) == lines);
    // A password either round-trips or is refused because its scrambled form would
    // break its line in the file.
    try {
        const std::string scrambled = EncodePassword(text);
        check(DecodePassword(scrambled) == text);
        check(scrambled.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    } catch (const SettingsError&) {
        bool breaks = false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i] + PasswordKey[i % PasswordKey.size()]);
            breaks = breaks || byte == '\r' || byte == '\n' || byte == 0;
        }
        check(breaks);
    }

    load(applySettingsIni, lines);
    load(applyProxyIni, lines);
    load(applyColorDat, lines);
    load(applyFoldersDat, lines);
    for (const auto& line : lines) {
        try {
            (void)ParseInt32(line);
        } catch (const ConversionError&) {
        }
    }

    const ServerList servers(lines);
    ServerViews views;
    views.RebuildServerViews(servers);
    check(views.rows().size() == servers.entryCount());
    CountingWindows windows;
    pell::test::QuietPrompts prompts;
    SessionLauncher launcher(servers, windows, prompts);
    for (const auto& caption : views.menuCaptions())
        launcher.ServerMenuClick(caption);
    try {
        launcher.AutoConnect();
    } catch (const ConversionError&) {
    }

    TemplateStore store(lines);
    const auto names = store.names();
    for (const auto& name : names)
        check(store.body(name).has_value());
    (void)store.sortedNames();
    if (!names.empty()) {
        // Fewer names afterwards; more than one go when the name line is itself a marker.
        check(store.remove(names.front()));
        check(store.names().size() < names.size());
    }
    return 0;
}
