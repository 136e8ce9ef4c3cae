#include "settings/Identity.h"

namespace pell::settings {

Identity identityOf(const AppSettings& settings)
{
    return {settings.Nick,      settings.RealName, settings.Username,     settings.Password,
            settings.Invisible, settings.Operator, settings.ServerNotice, settings.Wallops};
}

void IdentityPanel::UseStandardChanged(bool set, const AppSettings& global)
{
    useStandard = set;
    if (set)
        values = identityOf(global);
}

} // namespace pell::settings
