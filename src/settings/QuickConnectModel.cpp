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
        profile.Nick = id.Nick;
        profile.RealName = id.RealName;
        profile.Username = id.Username;
        profile.Password = id.Password;
        profile.Invisible = id.Invisible;
        profile.Operator = id.Operator;
        profile.ServerNotice = id.ServerNotice;
        profile.Wallops = id.Wallops;
        launcher_.StartSession(profile);
    });
}

} // namespace pell::settings
