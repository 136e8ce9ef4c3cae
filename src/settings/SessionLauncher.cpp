#include "settings/SessionLauncher.h"

namespace pell::settings {

void SessionLauncher::StartSession(const TSSettings& profile)
{
    pendingProfile_ = profile;
    windows_.createSessionWindow(pendingProfile_);
}

void SessionLauncher::ServerMenuClick(const std::string& name)
{
    platform::runReported(prompts_, [&] {
        TSSettings profile;
        servers_.FindProfileByName(name, profile);
        StartSession(profile);
    });
}

void SessionLauncher::AutoConnect()
{
    TSSettings profile;
    for (std::size_t i = 0; i < servers_.entryCount(); ++i) {
        if (servers_.line(i, ServerList::AutoConnectLine) != ServerList::TrueWord)
            continue;
        servers_.FindProfileByName(servers_.line(i, ServerList::NameLine), profile);
        StartSession(profile);
    }
}

} // namespace pell::settings
