#include "app/QuickConnectModel.h"

#include "settings/LineText.h"

namespace pell::app {

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
    identity.values.Nick = settings::removeSpaces(identity.values.Nick);
}

void QuickConnectModel::Closed()
{
    platform::runReported(prompts_, [&] {
        const settings::Identity& id = identity.values;
        settings::ServerProfile profile;
        profile.Name = Name;
        profile.Host = Server;
        profile.Port = settings::ParseInt32(Port);
        profile.Tls = Tls || Port.starts_with('+');
        profile.Login = Login;
        settings::applyIdentity(id, profile);
        launcher_.StartSession(profile);
    });
}

} // namespace pell::app
