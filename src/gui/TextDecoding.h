#pragma once

#include <QString>

#include <string_view>

namespace pell::gui {

// IRC and the settings files carry bytes. A line that is valid UTF-8 is shown as UTF-8;
// any other line as Latin-1, so every byte shows as some character and nothing is lost.
bool IsValidUtf8(std::string_view bytes);
QString DecodeBytes(std::string_view bytes, bool utf8);
inline QString DecodeLine(std::string_view bytes) { return DecodeBytes(bytes, IsValidUtf8(bytes)); }

// Control characters (tab aside) as their visible pictures, one character each, so
// positions in the text hold.
void ShowControlPictures(QString& text);

// Text for a widget that treats "&" as a mnemonic marker (tab captions, buttons).
QString EscapeMnemonic(QString text);

} // namespace pell::gui
