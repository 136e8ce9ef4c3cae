#include "gui/DisplayLine.h"

#include "gui/TextDecoding.h"
#include "session/WebLinks.h"

#include <QColor>

namespace pell::gui {

const DisplayLine::Link* DisplayLine::LinkAt(int position) const
{
    for (const auto& link : Links)
        if (position >= link.Begin && position < link.End)
            return &link;
    return nullptr;
}

QColor ToQColor(session::Rgb colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QString DisplayText(const session::FormattedLine& line)
{
    return DecodeLine(line.PlainText());
}

namespace {

// Character position (UTF-16) of every byte position of a line. In UTF-8 a character
// belongs where its lead byte is, so a code inside a character cannot split it.
std::vector<int> charPositions(std::string_view bytes, bool utf8)
{
    std::vector<int> at(bytes.size() + 1);
    int position = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        at[i] = position;
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!utf8 || byte < 0x80)
            position += 1;
        else if (byte >= 0xF0)
            position += 2; // outside the basic plane: a surrogate pair
        else if (byte >= 0xC0)
            position += 1;
    }
    at[bytes.size()] = position;
    // A continuation byte maps to the position after its character.
    if (utf8)
        for (std::size_t i = bytes.size(); i-- > 0;)
            if ((static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80)
                at[i] = at[i + 1];
    return at;
}

} // namespace

DisplayLine BuildDisplayLine(const session::FormattedLine& line)
{
    const std::string_view plain = line.Text();
    // One decision and one decoding per line: a UTF-8 character cut by a code still shows.
    const bool utf8 = IsValidUtf8(plain);
    const std::vector<int> at = charPositions(plain, utf8);
    DisplayLine shown;
    shown.Text = DecodeBytes(plain, utf8);
    ShowControlPictures(shown.Text);
    std::size_t byte = 0;
    for (std::size_t r = 0; r < line.RunCount(); ++r) {
        const session::TextRunView run = line.RunAt(r);
        QTextLayout::FormatRange range;
        range.start = at[byte];
        range.length = at[byte + run.Text.size()] - range.start;
        byte += run.Text.size();
        range.format.setForeground(ToQColor(run.Colour));
        if (run.Bold)
            range.format.setFontWeight(QFont::Bold);
        range.format.setFontUnderline(run.Underline);
        shown.Formats.append(range);
    }
    for (const auto& found : session::FindWebLinks(plain)) {
        DisplayLine::Link link;
        link.Begin = at[found.Begin];
        link.End = at[found.Begin + found.Length];
        link.Target = QUrl(DecodeBytes(found.Target, utf8), QUrl::TolerantMode);
        QTextLayout::FormatRange range;
        range.start = link.Begin;
        range.length = link.End - link.Begin;
        range.format.setFontUnderline(true);
        shown.Formats.append(range);
        shown.Links.push_back(std::move(link));
    }
    return shown;
}

} // namespace pell::gui
