#pragma once

#include "platform/Desktop.h"

class QWidget;

namespace pell::gui {

// The file-save dialog over a window.
class QtSaveFileDialog : public platform::SaveFileDialog {
public:
    explicit QtSaveFileDialog(QWidget* owner = nullptr) : owner_(owner) {}

    std::optional<std::string> askSaveFileName(const std::string& filterName, const std::string& pattern) override;

private:
    QWidget* owner_;
};

} // namespace pell::gui
