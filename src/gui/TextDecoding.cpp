#include "gui/TextDecoding.h"

#include <QStringDecoder>

namespace pell::gui {

bool IsValidUtf8(std::string_view bytes)
{
    // Most lines are plain ASCII: no need to run the decoder.
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

QString DecodeBytes(std::string_view bytes, bool utf8)
{
    const auto size = static_cast<qsizetype>(bytes.size());
    return utf8 ? QString::fromUtf8(bytes.data(), size) : QString::fromLatin1(bytes.data(), size);
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
