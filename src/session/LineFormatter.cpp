#include "session/LineFormatter.h"

namespace pell::session {

namespace {

bool isDigit(std::string_view line, std::size_t at)
{
    return at < line.size() && line[at] >= '0' && line[at] <= '9';
}

// Reads one or two digits at `at` (which must be one) and moves past them.
int readNumber(std::string_view line, std::size_t& at)
{
    int number = line[at++] - '0';
    if (isDigit(line, at))
        number = number * 10 + (line[at++] - '0');
    return number;
}

// Walks the line and hands every non-empty stretch between codes to
// emit(text, colour, bold, underline, italic).
template <typename Emit>
void scanRuns(std::string_view line, Rgb baseColour, Emit emit)
{
    Rgb colour = baseColour;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    std::size_t start = 0;

    auto flush = [&](std::size_t end) {
        if (end > start)
            emit(line.substr(start, end - start), colour, bold, underline, italic);
    };

    for (std::size_t i = 0; i < line.size(); ++i) {
        // Nearly every byte is text: one comparison passes it.
        if (static_cast<unsigned char>(line[i]) > static_cast<unsigned char>(UnderlineCode))
            continue;
        switch (line[i]) {
        case BoldCode: flush(i); bold = !bold; break;
        case UnderlineCode: flush(i); underline = !underline; break;
        case ItalicCode: flush(i); italic = !italic; break;
        case ReverseCode: flush(i); break;
        case ResetCode:
            flush(i);
            colour = baseColour;
            bold = underline = italic = false;
            break;
        case ColourCode: {
            flush(i);
            std::size_t at = i + 1;
            if (!isDigit(line, at)) {
                colour = baseColour;
                break;
            }
            const int foreground = readNumber(line, at);
            if (foreground < static_cast<int>(IrcColorTable.size()))
                colour = IrcColorTable[static_cast<std::size_t>(foreground)];
            else if (foreground == 99)
                colour = baseColour;
            if (line.size() > at + 1 && line[at] == ',' && isDigit(line, at + 1)) {
                ++at;
                readNumber(line, at);
            }
            i = at - 1;
            break;
        }
        default: continue;
        }
        start = i + 1;
    }
    flush(line.size());
}

} // namespace

FormattedLine FormatLine(std::string_view line, Rgb baseColour)
{
    FormattedLineBuilder builder(baseColour);
    scanRuns(line, baseColour, [&](std::string_view text, Rgb colour, bool bold, bool underline, bool italic) {
        builder.CountRun(text, colour, bold, underline, italic);
    });
    builder.Allocate();
    scanRuns(line, baseColour, [&](std::string_view text, Rgb colour, bool bold, bool underline, bool italic) {
        builder.AddRun(text, colour, bold, underline, italic);
    });
    return builder.Finish();
}

} // namespace pell::session
