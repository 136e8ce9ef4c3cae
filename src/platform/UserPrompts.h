#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pell::platform {

// A question box that is open without holding its caller. Destroying the handle closes
// the box if it is still open, unanswered.
class OpenQuestion {
public:
    virtual ~OpenQuestion() = default;
};

// What a model asks of the user. The Qt program shows message boxes; tests record.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // An error message box with an OK button (a failed step, a conversion error).
    virtual void showError(const std::string& message) = 0;
    // A plain message box with an OK button; ports without one show it as an error.
    virtual void showMessage(const std::string& message) { showError(message); }
    // A one-line text prompt showing the default text; nothing when cancelled.
    virtual std::optional<std::string> askText(const std::string& caption, const std::string& label,
                                               const std::string& defaultText) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& caption, const std::string& question) = 0;
    // The same question in a box that does not hold the caller: `answered` runs later,
    // on the GUI thread, with true for Yes. Ports without such a box ask at once (and
    // answer before this returns).
    virtual std::unique_ptr<OpenQuestion> askYesNoLater(const std::string& caption, const std::string& question,
                                                        std::function<void(bool)> answered)
    {
        answered(askYesNo(caption, question));
        return nullptr;
    }
};

// The top-level handler of an event handler or creation step: runs the step; a typed
// error it raises is shown to the user and ends the step there. Returns true when the
// step ran to its end.
inline bool runReported(UserPrompts& prompts, const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        prompts.showError(error.what());
        return false;
    }
}

} // namespace pell::platform
