#include "app/StartUp.h"
#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "gui/LatenessProbe.h"
#include "settings/ProgramFolder.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pell-IRC"));
    pell::gui::initResources();

    pell::gui::AppShell shell(pell::settings::ProgramFolder());
    pell::gui::LatenessProbe::fromEnvironment(&application);
    shell.start(pell::app::splashTime());
    return QApplication::exec();
}
