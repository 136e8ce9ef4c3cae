#include "app/AppCore.h"

#include "app/ShellRegistration.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace pell::app {

namespace {

// The user's home folder with a trailing "/": the first folder the download tab offers.
std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if ((!home || !*home))
        if (const passwd* entry = getpwuid(getuid()))
            home = entry->pw_dir;
    std::string folder = home && *home ? home : "/";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

AppCore::AppCore(std::string programFolder, SessionWindowFactory& windows, platform::UserPrompts& prompts)
    : files_(settings::SettingsFolder(std::move(programFolder))),
      launcher_(servers_, windows, prompts),
      scriptEditor_(templates_, files_.folder(), prompts),
      options_(settings_, servers_, serverViews_, files_, prompts, homeFolder()),
      quickConnect_(settings_, launcher_, prompts), link_(settings_, launcher_, prompts), prompts_(prompts)
{
    shared_.Certificates = settings::TrustedCertificates(files_.folder());
    options_.ApplyLanguage = [this](Language language) {
        if (ApplyLanguage)
            ApplyLanguage(language);
    };
}

void AppCore::createMainWindowData()
{
    uptime_ = Uptime();
    servers_.load(files_.folder());
    files_.folder().reportReadErrors(settings_.Language);
}

void AppCore::loadOptions()
{
    options_.Create();
}

void AppCore::loadTemplates()
{
    scriptEditor_.Create();
}

void AppCore::runStartUpWork()
{
    std::optional<RegistrationError> registration;
    try {
        if (WriteShellAssociations)
            WriteShellAssociations();
    } catch (const RegistrationError& error) {
        registration = error;
    }
    if (files_.loadColorDat(settings_) && ApplyLanguage) {
        // The stored choice is selected after German, so English relabels twice.
        ApplyLanguage(Language::German);
        if (settings_.Language == Language::English)
            ApplyLanguage(Language::English);
    }
    if (registration)
        prompts_.showError(registration->Message(settings_.Language));
    launcher_.AutoConnect();
    link_.Handle(arguments_);
    files_.folder().reportReadErrors(settings_.Language);
}

} // namespace pell::app
