#pragma once

#include <QApplication>

#include <functional>
#include <string>

namespace pell::gui {

// The program's application object with its top-level handler: an error that escapes
// a handler (a write on a connection that was lost meanwhile, say) is shown in a
// message box and ends that handler only. Through Qt it would end the program.
class PellApplication : public QApplication {
public:
    PellApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message; a box by default (tests record it instead).
    std::function<void(const std::string& message)> ShowError;
};

} // namespace pell::gui
