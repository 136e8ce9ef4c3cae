#include "gui/TextDecoding.h"

#include "session/Utf8Text.h"

namespace pell::gui {

QString DecodeLine(std::string_view bytes)
{
    const auto size = static_cast<qsizetype>(bytes.size());
    // Most lines are valid UTF-8 (plain ASCII above all): Qt's own decoder is quicker.
    if (session::IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), size);
    const std::u32string codes = session::DecodeText(bytes);
    return QString::fromUcs4(codes.data(), static_cast<qsizetype>(codes.size()));
}

std::string toBytes(const QString& text)
{
    return text.toStdString(); // UTF-8
}

QString WithoutLineBreaks(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    text.remove(QChar(0));
    return text;
}

QString EscapeMnemonic(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

void ShowControlPictures(QString& text)
{
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 && c != QLatin1Char('\t'))
            c = QChar(0x2400 + code);
        else if (code == 0x2028 || code == 0x0085)
            c = QChar(0x2424); // "␤": a line break that is not one here
        else if (code == 0x2029)
            c = QChar(0x00B6); // "¶"
        else if ((code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069))
            c = QChar(0xFFFD); // a direction override: shown, never obeyed
    }
}

QString ShownText(std::string_view bytes)
{
    QString text = DecodeLine(bytes);
    ShowControlPictures(text);
    return text;
}

} // namespace pell::gui
