#include "app/ServerViews.h"

namespace pell::app {

void ServerViews::RebuildServerViews(const settings::ServerList& servers)
{
    rows_.clear();
    menuCaptions_.clear();
    for (std::size_t i = 0; i < servers.entryCount(); ++i) {
        rows_.push_back({servers.line(i, settings::ServerList::NameLine), servers.line(i, settings::ServerList::HostLine),
                         servers.line(i, settings::ServerList::PortLine)});
        menuCaptions_.push_back(servers.line(i, settings::ServerList::NameLine));
    }
    if (OnRebuilt)
        OnRebuilt();
}

} // namespace pell::app
