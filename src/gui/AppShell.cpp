#include "gui/AppShell.h"

#include "app/StartUp.h"
#include "app/HelpText.h"
#include "app/ShellRegistration.h"
#include "gui/Captions.h"
#include "gui/FolderChooser.h"
#include "gui/HelpWindow.h"
#include "gui/InfoForm.h"
#include "gui/MainWindow.h"
#include "gui/OptionsDialog.h"
#include "gui/QuickConnectDialog.h"
#include "gui/ScriptEditor.h"
#include "gui/SessionController.h"
#include "gui/UserInfoWindow.h"
#include "gui/SplashWindow.h"
#include "settings/ProgramFolder.h"

#include <QFile>

namespace pell::gui {

AppShell::AppShell(std::string programFolder, std::vector<std::string> arguments)
    : core_(std::move(programFolder), *this, prompts_)
{
    core_.setArguments(std::move(arguments));
    wireStartUpWork();
}

AppShell::AppShell(std::string programFolder, app::SessionWindowFactory& sessionWindows)
    : core_(std::move(programFolder), sessionWindows, prompts_)
{
    wireStartUpWork();
}

void AppShell::wireStartUpWork()
{
    core_.WriteShellAssociations = [] {
        QFile icon(QStringLiteral(":/pell/resources/pell-irc.svg"));
        const QByteArray svg = icon.open(QIODevice::ReadOnly) ? icon.readAll() : QByteArray();
        app::RegisterIrcHandler(app::xdgFolders(), settings::currentProgramFolderSources().executablePath,
                                std::string_view(svg.constData(), static_cast<std::size_t>(svg.size())));
    };
    core_.ApplyLanguage = [this](app::Language language) { applyLanguage(language); };
}

void AppShell::applyLanguage(app::Language language)
{
    if (!mainWindow_)
        return;
    applyCaptions(mainWindow_.get(), language);
    if (help_)
        help_->setLines(app::HelpLines(language));
}

AppShell::~AppShell()
{
    // Sessions report into their windows while they disconnect: they go before the
    // main window and its area.
    for (const QPointer<SessionController>& session : sessions_)
        delete session.data();
}

void AppShell::createSessionWindow(const settings::ServerProfile& profile)
{
    if (!mainWindow_)
        return;
    const SessionEnvironment environment{gui_,     core_.settings(), core_.shared(), desktop_,
                                         prompts_, saveDialog_,      userInfo_,      core_.templates()};
    std::erase_if(sessions_, [](const QPointer<SessionController>& session) { return session.isNull(); });
    sessions_.emplace_back(new SessionController(environment, mainWindow_->sessionArea(), profile));
}

std::vector<SessionController*> AppShell::sessions() const
{
    std::vector<SessionController*> open;
    for (const QPointer<SessionController>& session : sessions_)
        if (session)
            open.push_back(session.data());
    return open;
}

void AppShell::start(std::chrono::milliseconds splashTime)
{
    app::StartUp startUp(prompts_);
    startUp.add("main window", [this] {
        mainWindow_ = std::make_unique<MainWindow>(core_, desktop_);
        desktop_.setWindow(mainWindow_.get());
        prompts_.setOwner(mainWindow_.get());
        saveDialog_ = QtSaveFileDialog(mainWindow_.get());
        core_.createMainWindowData();
    });
    startUp.add("options", [this] {
        core_.loadOptions();
        folderChooser_ = new FolderChooser(mainWindow_.get(), core_.options().FolderPath);
        options_ = new OptionsDialog(mainWindow_.get(), core_.options(), *folderChooser_);
        QObject::connect(mainWindow_.get(), &MainWindow::optionsRequested, options_, &OptionsDialog::showCentred);
    });
    startUp.add("user info", [this] { userInfoWindow_ = new UserInfoWindow(userInfo_, mainWindow_.get()); });
    startUp.add("quick connect", [this] {
        quickConnect_ = new QuickConnectDialog(mainWindow_.get(), core_.quickConnect());
        QObject::connect(mainWindow_.get(), &MainWindow::quickConnectRequested, quickConnect_,
                         &QuickConnectDialog::run);
    });
    startUp.add("help", [this] {
        help_ = new HelpWindow(mainWindow_.get());
        QObject::connect(mainWindow_.get(), &MainWindow::helpRequested, help_, &HelpWindow::showCentred);
    });
    startUp.add("script editor", [this] {
        scriptEditor_ = new ScriptEditor(core_.scriptEditor(), mainWindow_.get());
        QObject::connect(mainWindow_.get(), &MainWindow::scriptEditorRequested, scriptEditor_,
                         &ScriptEditor::showCentred);
        core_.loadTemplates();
    });
    startUp.add("about box", [this] {
        info_ = new InfoForm(desktop_, mainWindow_.get());
        QObject::connect(mainWindow_.get(), &MainWindow::infoRequested, info_, [this] {
            info_->show();
            info_->raise();
        });
        core_.runStartUpWork();
    });
    startUp.add("splash", [this] { splash_ = new SplashWindow(mainWindow_.get()); });
    startUp.run();

    if (splash_) {
        splash_->showFor(splashTime);
        delete splash_;
        splash_ = nullptr;
    }
    if (mainWindow_)
        mainWindow_->show();
}

} // namespace pell::gui
