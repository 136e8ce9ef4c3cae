#include "session/LineFormatter.h"

namespace pell::session {

namespace {

// Walks the line and hands every non-empty stretch between codes to
// emit(text, colour, bold, underline).
template <typename Emit>
void scanRuns(std::string_view line, Rgb baseColour, Emit emit)
{
    Rgb colour = baseColour;
    bool bold = false;
    bool underline = false;
    std::size_t start = 0;

    auto flush = [&](std::size_t end) {
        if (end > start)
            emit(line.substr(start, end - start), colour, bold, underline);
    };

    for (std::size_t i = 0; i < line.size(); ++i) {
        const char byte = line[i];
        if (byte == BoldCode) {
            flush(i);
            bold = !bold;
            start = i + 1;
        } else if (byte == UnderlineCode) {
            flush(i);
            underline = !underline;
            start = i + 1;
        } else if (byte == ColourCode) {
            flush(i);
            if (i + 1 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '9') {
                colour = IrcColorTable[static_cast<std::size_t>(line[i + 1] - '0')];
                ++i;
            }
            start = i + 1;
        }
    }
    flush(line.size());
}

} // namespace

FormattedLine FormatLine(std::string_view line, Rgb baseColour)
{
    FormattedLineBuilder builder(baseColour);
    scanRuns(line, baseColour, [&](std::string_view text, Rgb colour, bool bold, bool underline) {
        builder.CountRun(text, colour, bold, underline);
    });
    builder.Allocate();
    scanRuns(line, baseColour, [&](std::string_view text, Rgb colour, bool bold, bool underline) {
        builder.AddRun(text, colour, bold, underline);
    });
    return builder.Finish();
}

} // namespace pell::session
