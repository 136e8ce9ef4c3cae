#include "app/AppCore.h"

namespace pell::app {

AppCore::AppCore(std::string programFolder, settings::SessionWindowFactory& windows, platform::UserPrompts& prompts)
    : files_(settings::SettingsFolder(std::move(programFolder))), launcher_(servers_, windows, prompts)
{
}

void AppCore::createMainWindowData()
{
    uptime_ = Uptime();
    servers_.load(files_.folder());
}

void AppCore::loadOptions()
{
    files_.loadOptionsFiles(settings_);
    serverViews_.RebuildServerViews(servers_);
    files_.loadProxyIni(settings_);
}

void AppCore::loadTemplates()
{
    templates_.load(files_.folder());
}

void AppCore::runStartUpWork()
{
    if (WriteShellAssociations)
        WriteShellAssociations();
    if (files_.loadColorDat(settings_) && ApplyLanguage)
        ApplyLanguage();
    launcher_.AutoConnect();
    if (HandleCommandLineLink)
        HandleCommandLineLink();
}

} // namespace pell::app
