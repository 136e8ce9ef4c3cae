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
    for (QChar& c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            c = QChar(0x2400 + c.unicode());
}

} // namespace pell::gui
