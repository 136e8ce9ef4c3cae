#pragma once

#include <QString>

#include <string>

namespace pell::gui {

// Settings hold bytes; a value is shown as UTF-8 when it is valid UTF-8, else as
// Latin-1, so no byte is lost on the way to the screen.
QString fromBytes(const std::string& bytes);
// What the user typed, as UTF-8 bytes.
std::string toBytes(const QString& text);

} // namespace pell::gui
