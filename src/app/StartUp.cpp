#include "app/StartUp.h"

#include <charconv>
#include <cstdlib>

namespace pell::app {

void StartUp::add(std::string window, std::function<void()> create)
{
    steps_.push_back({std::move(window), std::move(create)});
}

std::vector<std::string> StartUp::run()
{
    std::vector<std::string> failed;
    for (const auto& step : steps_) {
        if (!platform::runReported(prompts_, step.create))
            failed.push_back(step.window);
    }
    return failed;
}

std::chrono::milliseconds splashTime(const std::optional<std::string>& environmentValue)
{
    if (!environmentValue || environmentValue->empty())
        return DefaultSplashTime;
    const auto& text = *environmentValue;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return DefaultSplashTime;
    return std::chrono::milliseconds(value);
}

std::chrono::milliseconds splashTime()
{
    const char* value = std::getenv("PELL_IRC_SPLASH_MS");
    return splashTime(value ? std::optional<std::string>(value) : std::nullopt);
}

} // namespace pell::app
