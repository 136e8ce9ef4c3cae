#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace pell::gui {

// IRC and the settings files carry bytes. They are shown piece by piece: every valid
// UTF-8 sequence as its character, every other byte as its Latin-1 character, so a
// peer's Latin-1 nick inside the program's own German sentence leaves both readable.
QString DecodeLine(std::string_view bytes);
// What the user typed, as UTF-8 bytes.
std::string toBytes(const QString& text);
// The text without CR, LF and NUL: a value typed or pasted into a one-line field.
QString WithoutLineBreaks(QString text);

// Control characters (tab aside) as their visible pictures, and the characters that
// can draw a fake line (line and paragraph separators, NEL, bidirectional overrides and
// isolates) as visible marks; one character each, so positions in the text hold.
void ShowControlPictures(QString& text);
// A peer's or server's text for a label or box: decoded, with those characters shown.
QString ShownText(std::string_view bytes);

// Text for a widget that treats "&" as a mnemonic marker (tab captions, buttons).
QString EscapeMnemonic(QString text);

} // namespace pell::gui
