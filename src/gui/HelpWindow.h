#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QTextEdit;

namespace pell::gui {

// "Help": the read-only command reference, refilled when the language changes.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);

    // Clears the text and adds the lines (UTF-8).
    void setLines(const std::vector<std::string>& lines);
    // Shows the window without blocking, centred on the main window.
    void showCentred();

    QTextEdit* text() const { return text_; }

private:
    QTextEdit* text_;
};

} // namespace pell::gui
