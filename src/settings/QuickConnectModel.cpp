#include "settings/QuickConnectModel.h"

#include "settings/LineText.h"

namespace pell::settings {

void QuickConnectModel::Open()
{
    UseStandardSettingsChanged(false);
    UseStandardSettingsChanged(true);
}

void QuickConnectModel::UseStandardSettingsChanged(bool set)
{
    identity.UseStandardChanged(set, settings_);
}

void QuickConnectModel::ConnectClick()
{
    identity.values.Nick = removeSpaces(identity.values.Nick);
}

void QuickConnectModel::Closed()
{
    platform::runReported(prompts_, [&] {
        const Identity& id = identity.values;
        TSSettings profile;
        profile.Name = Name;
        profile.Host = Server;
        profile.Port = StrToInt(Port);
        applyIdentity(id, profile);
        launcher_.StartSession(profile);
    });
}

} // namespace pell::settings
