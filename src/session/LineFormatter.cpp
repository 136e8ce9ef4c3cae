#include "session/LineFormatter.h"

namespace pell::session {

FormattedLine FormatLine(std::string_view line, Rgb baseColour)
{
    FormattedLine result;
    result.BaseColour = baseColour;
    TextRun current{{}, baseColour, false, false};

    auto flush = [&] {
        if (!current.Text.empty()) {
            result.Runs.push_back(current);
            current.Text.clear();
        }
    };

    for (std::size_t i = 0; i < line.size(); ++i) {
        const char byte = line[i];
        if (byte == BoldCode) {
            flush();
            current.Bold = !current.Bold;
        } else if (byte == UnderlineCode) {
            flush();
            current.Underline = !current.Underline;
        } else if (byte == ColourCode) {
            if (i + 1 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '9') {
                flush();
                current.Colour = IrcColorTable[static_cast<std::size_t>(line[i + 1] - '0')];
                ++i;
            }
        } else {
            current.Text += byte;
        }
    }
    flush();
    return result;
}

} // namespace pell::session
