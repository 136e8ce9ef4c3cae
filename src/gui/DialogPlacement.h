#pragma once

class QWidget;

namespace pell::gui {

// Moves a window to the centre of its parent window (of the screen without one).
void centreOnParent(QWidget& window);

} // namespace pell::gui
