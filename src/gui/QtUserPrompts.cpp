#include "gui/QtUserPrompts.h"

#include <QMessageBox>

namespace pell::gui {

void QtUserPrompts::showError(const std::string& message)
{
    QMessageBox::critical(owner_, QStringLiteral("Pell-IRC"), QString::fromStdString(message));
}

} // namespace pell::gui
