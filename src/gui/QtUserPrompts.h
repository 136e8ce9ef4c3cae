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

private:
    QWidget* owner_;
};

} // namespace pell::gui
