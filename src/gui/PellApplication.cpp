#include "gui/PellApplication.h"

#include "gui/JpegImage.h"
#include "gui/QtUserPrompts.h"

#include <QIcon>

#include <exception>

namespace pell::gui {

PellApplication::PellApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    initResources();
    // Every window without an icon of its own, MDI windows included, shows this one.
    setWindowIcon(QIcon(QStringLiteral(":/pell/resources/pell-irc.svg")));
    ShowError = [](const std::string& message) { QtUserPrompts(nullptr).showError(message); };
}

bool PellApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowError(error.what());
    } catch (...) {
        ShowError("unknown error");
    }
    return false;
}

} // namespace pell::gui
