#include "gui/DisplayLine.h"

#include "gui/TextDecoding.h"
#include "session/Utf8Text.h"
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

// Character position (UTF-16) of every byte position of a line, read as DecodeLine reads
// it. A character belongs where its first byte is, so a code inside it cannot split it;
// its later bytes map to the position after it.
std::vector<int> charPositions(std::string_view bytes)
{
    std::vector<int> at(bytes.size() + 1);
    int position = 0;
    session::ForEachCharacter(bytes, [&](char32_t code, std::size_t first, std::size_t count) {
        at[first] = position;
        position += code >= 0x10000 ? 2 : 1; // outside the basic plane: a surrogate pair
        for (std::size_t k = 1; k < count; ++k)
            at[first + k] = position;
    });
    at[bytes.size()] = position;
    return at;
}

} // namespace

DisplayLine BuildDisplayLine(const session::FormattedLine& line)
{
    const std::string_view plain = line.Text();
    // One decoding per line: a UTF-8 character cut by a code still shows.
    const std::vector<int> at = charPositions(plain);
    DisplayLine shown;
    shown.Text = DecodeLine(plain);
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
        range.format.setFontItalic(run.Italic);
        shown.Formats.append(range);
    }
    for (const auto& found : session::FindWebLinks(plain)) {
        DisplayLine::Link link;
        link.Begin = at[found.Begin];
        link.End = at[found.Begin + found.Length];
        link.Target = QUrl(DecodeLine(found.Target), QUrl::TolerantMode);
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
