#include "gui/DialogPlacement.h"

#include <QScreen>
#include <QWidget>

namespace pell::gui {

void centreOnParent(QWidget& window)
{
    QRect area;
    if (QWidget* parent = window.parentWidget())
        area = parent->window()->frameGeometry();
    else if (QScreen* screen = window.screen())
        area = screen->availableGeometry();
    if (area.isValid())
        window.move(area.center() - window.rect().center());
}

} // namespace pell::gui
