#pragma once

#include "platform/UserPrompts.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pell::app {

// The creation of the long-lived windows at start-up, in a fixed order. Each step runs
// to its end before the next begins. An error a step raises is shown to the user and
// ends that step there; start-up goes on with the next step.
class StartUp {
public:
    explicit StartUp(platform::UserPrompts& prompts) : prompts_(prompts) {}

    void add(std::string window, std::function<void()> create);

    // Runs every step in order; returns the windows whose step ended with an error.
    std::vector<std::string> run();

private:
    struct Step {
        std::string window;
        std::function<void()> create;
    };

    platform::UserPrompts& prompts_;
    std::vector<Step> steps_;
};

// How long the splash window stays: 3000 ms, or the whole non-negative number of
// milliseconds in PELL_IRC_SPLASH_MS when it holds one (tests shorten the wait with it).
inline constexpr std::chrono::milliseconds DefaultSplashTime{3000};
std::chrono::milliseconds splashTime(const std::optional<std::string>& environmentValue);
// splashTime of this process's environment.
std::chrono::milliseconds splashTime();

} // namespace pell::app
