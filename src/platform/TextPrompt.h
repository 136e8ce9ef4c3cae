#pragma once

#include <optional>
#include <string>

namespace pell::platform {

// The one-line text prompt (caption, label, default). The Qt program shows an input
// dialog; tests answer from a script.
class TextPrompt {
public:
    virtual ~TextPrompt() = default;

    // The text the user confirmed; nothing when the prompt was cancelled.
    virtual std::optional<std::string> InputQuery(const std::string& caption, const std::string& label,
                                                  const std::string& initial) = 0;
};

} // namespace pell::platform
