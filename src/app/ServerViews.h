#pragma once

#include "settings/ServerList.h"

#include <functional>
#include <string>
#include <vector>

namespace pell::app {

// One row of the options dialog's server list view: the columns "Name", "Host", "Port".
struct ServerRow {
    std::string Name;
    std::string Host;
    std::string Port; // as stored

    bool operator==(const ServerRow&) const = default;
};

// What the server list view and the main window's Server menu show. The
// views draw rows() and menuCaptions() whenever OnRebuilt fires; each menu item's
// click goes to SessionLauncher::ServerMenuClick with its caption.
class ServerViews {
public:
    // Replaces every row and menu item with one per entry of the list, in list order.
    void RebuildServerViews(const settings::ServerList& servers);

    const std::vector<ServerRow>& rows() const { return rows_; }
    const std::vector<std::string>& menuCaptions() const { return menuCaptions_; }

    std::function<void()> OnRebuilt;

private:
    std::vector<ServerRow> rows_;
    std::vector<std::string> menuCaptions_;
};

} // namespace pell::app
