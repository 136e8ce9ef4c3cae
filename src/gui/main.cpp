#include "app/StartUp.h"
#include "gui/AppShell.h"
#include "gui/JpegImage.h"
#include "settings/ProgramFolder.h"

#include <QApplication>

namespace {

// Session windows are created here once they exist; until then a start opens nothing.
class SessionWindows : public pell::settings::SessionWindowFactory {
public:
    void createSessionWindow(const pell::settings::TSSettings&) override {}
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pell-IRC"));
    pell::gui::initResources();

    SessionWindows sessionWindows;
    pell::gui::AppShell shell(pell::settings::ProgramFolder(), sessionWindows);
    shell.start(pell::app::splashTime());
    return QApplication::exec();
}
