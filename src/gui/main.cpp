#include "app/StartUp.h"
#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "gui/PellApplication.h"
#include "settings/ProgramFolder.h"

int main(int argc, char* argv[])
{
    pell::gui::PellApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pell-IRC"));
    pell::gui::initResources();

    pell::gui::AppShell shell(pell::settings::ProgramFolder());
    shell.start(pell::app::splashTime());
    return QApplication::exec();
}
