#include "settings/Identity.h"

namespace pell::settings {

void applyIdentity(const Identity& identity, TSSettings& profile)
{
    profile.Nick = identity.Nick;
    profile.RealName = identity.RealName;
    profile.Username = identity.Username;
    profile.Password = identity.Password;
    profile.Invisible = identity.Invisible;
    profile.Operator = identity.Operator;
    profile.ServerNotice = identity.ServerNotice;
    profile.Wallops = identity.Wallops;
}

Identity identityOf(const AppSettings& settings)
{
    return {settings.Nick,      settings.RealName, settings.Username,     settings.Password,
            settings.Invisible, settings.Operator, settings.ServerNotice, settings.Wallops};
}

void setIdentity(AppSettings& settings, const Identity& identity)
{
    settings.Nick = identity.Nick;
    settings.RealName = identity.RealName;
    settings.Username = identity.Username;
    settings.Password = identity.Password;
    settings.Invisible = identity.Invisible;
    settings.Operator = identity.Operator;
    settings.ServerNotice = identity.ServerNotice;
    settings.Wallops = identity.Wallops;
}

} // namespace pell::settings
