#pragma once

#include "session/FormattedLine.h"

#include <QList>
#include <QString>
#include <QTextLayout>
#include <QUrl>

#include <vector>

namespace pell::gui {

// One stored line made ready for drawing: its characters, the formats of its runs and
// its web links, all in character positions of Text.
struct DisplayLine {
    struct Link {
        int Begin = 0;
        int End = 0;
        QUrl Target;
    };

    QString Text;
    QList<QTextLayout::FormatRange> Formats;
    std::vector<Link> Links;

    // The link under a character position, or nullptr.
    const Link* LinkAt(int position) const;
};

QColor ToQColor(session::Rgb colour);

// The characters of a line only (selection and copy need no formats).
QString DisplayText(const session::FormattedLine& line);
DisplayLine BuildDisplayLine(const session::FormattedLine& line);
// The character position in the shown line of a byte of its stored text.
int CharPositionOf(const session::FormattedLine& line, std::size_t byte);

} // namespace pell::gui
