#include "gui/BytesText.h"

#include "gui/TextDecoding.h"

namespace pell::gui {

QString fromBytes(const std::string& bytes)
{
    return DecodeLine(bytes);
}

std::string toBytes(const QString& text)
{
    return text.toStdString(); // UTF-8
}

} // namespace pell::gui
