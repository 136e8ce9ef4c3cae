#pragma once

#include "app/Captions.h"

#include <QList>

class QObject;

namespace pell::gui {

// Marks a control as the target of a caption row: a label, button or box gets the
// row's text, a menu its title, an action its text, a page of a tab widget its tab
// text and a window its caption.
void tagCaption(QObject* control, app::Caption caption);

// The controls below root (root included) tagged with the caption.
QList<QObject*> taggedWith(QObject* root, app::Caption caption);

// Assigns the caption table's texts of the language, in table order, to every tagged
// control below root (root included).
void applyCaptions(QObject* root, app::Language language);

} // namespace pell::gui
