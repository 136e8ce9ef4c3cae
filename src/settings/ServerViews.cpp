#include "settings/ServerViews.h"

namespace pell::settings {

void ServerViews::RebuildServerViews(const ServerList& servers)
{
    rows_.clear();
    menuCaptions_.clear();
    for (std::size_t i = 0; i < servers.entryCount(); ++i) {
        rows_.push_back({servers.line(i, ServerList::NameLine), servers.line(i, ServerList::HostLine),
                         servers.line(i, ServerList::PortLine)});
        menuCaptions_.push_back(servers.line(i, ServerList::NameLine));
    }
    if (OnRebuilt)
        OnRebuilt();
}

} // namespace pell::settings
