#include "app/StartUp.h"
#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "gui/LatenessProbe.h"
#include "gui/PellApplication.h"
#include "settings/ProgramFolder.h"

#include <algorithm>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // Taken before Qt removes the arguments it understands itself.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    pell::gui::PellApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pell-IRC"));
    pell::gui::initResources();

    pell::gui::AppShell shell(pell::settings::ProgramFolder(), arguments);
    pell::gui::LatenessProbe::fromEnvironment(&application);
    shell.start(pell::app::splashTime());
    return QApplication::exec();
}
