#include "session/ServerText.h"

#include <charconv>
#include <ctime>

namespace pell::session {

std::vector<std::string_view> ParametersOf(std::string_view content)
{
    std::vector<std::string_view> parameters;
    while (!content.empty()) {
        if (content.front() == ':') {
            parameters.push_back(content.substr(1));
            break;
        }
        const std::size_t blank = content.find(' ');
        if (blank != 0)
            parameters.push_back(content.substr(0, blank));
        content = blank == std::string_view::npos ? std::string_view() : content.substr(blank + 1);
    }
    return parameters;
}

std::string ServerText(std::string_view content, std::size_t first)
{
    const auto parameters = ParametersOf(content);
    std::string text;
    for (std::size_t i = first; i < parameters.size(); ++i) {
        if (!text.empty())
            text += ' ';
        text += parameters[i];
    }
    return text;
}

std::string LocalDateTime(std::string_view seconds)
{
    // Up to the last second of the year 9999: beyond, the calendar functions give up.
    constexpr long long Latest = 253402300799;
    long long value = -1;
    const auto [end, error] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), value);
    if (seconds.empty() || error != std::errc() || end != seconds.data() + seconds.size() || value < 0 ||
        value > Latest)
        return {};
    const std::time_t moment = static_cast<std::time_t>(value);
    std::tm local{};
    char buffer[128];
    if (!localtime_r(&moment, &local))
        return {};
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%x %X", &local);
    return std::string(buffer, length);
}

} // namespace pell::session
