#include "settings/Identity.h"

#include "settings/AppSettings.h"
#include "settings/ServerProfile.h"

namespace pell::settings {

void applyIdentity(const Identity& identity, ServerProfile& profile)
{
    static_cast<Identity&>(profile) = identity;
}

Identity identityOf(const AppSettings& settings)
{
    return static_cast<const Identity&>(settings);
}

void setIdentity(AppSettings& settings, const Identity& identity)
{
    static_cast<Identity&>(settings) = identity;
}

} // namespace pell::settings
