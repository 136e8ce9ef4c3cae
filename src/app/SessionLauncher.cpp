#include "app/SessionLauncher.h"

namespace pell::app {

void SessionLauncher::StartSession(const settings::ServerProfile& profile)
{
    pendingProfile_ = profile;
    windows_.createSessionWindow(pendingProfile_);
}

void SessionLauncher::ServerMenuClick(const std::string& name)
{
    platform::runReported(prompts_, [&] {
        settings::ServerProfile profile;
        servers_.FindProfileByName(name, profile);
        StartSession(profile);
    });
}

void SessionLauncher::AutoConnect()
{
    settings::ServerProfile profile;
    for (std::size_t i = 0; i < servers_.entryCount(); ++i) {
        if (servers_.line(i, settings::ServerList::AutoConnectLine) != settings::ServerList::TrueWord)
            continue;
        servers_.FindProfileByName(servers_.line(i, settings::ServerList::NameLine), profile);
        StartSession(profile);
    }
}

} // namespace pell::app
