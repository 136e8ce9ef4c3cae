#pragma once

#include "platform/UserPrompts.h"

class QWidget;

namespace pell::gui {

// Message boxes over the main window (or over no window before it exists).
class QtUserPrompts : public platform::UserPrompts {
public:
    explicit QtUserPrompts(QWidget* owner = nullptr) : owner_(owner) {}

    void setOwner(QWidget* owner) { owner_ = owner; }
    void showError(const std::string& message) override;
    void showMessage(const std::string& message) override;
    std::optional<std::string> askText(const std::string& caption, const std::string& label,
                                       const std::string& defaultText) override;
    bool askYesNo(const std::string& caption, const std::string& question) override;
    // A box that holds nobody: the event loop, and with it every session, runs on.
    std::unique_ptr<platform::OpenQuestion> askYesNoLater(const std::string& caption, const std::string& question,
                                                          std::function<void(bool)> answered) override;

private:
    QWidget* owner_;
};

} // namespace pell::gui
