#pragma once

#include "platform/GuiDispatcher.h"

#include <QObject>

namespace pell::gui {

// The GUI thread of the Qt program: routines are posted into its event loop. Create it
// on the GUI thread.
class QtGuiDispatcher : public platform::GuiDispatcher {
public:
    QtGuiDispatcher() = default;

    void post(std::function<void()> routine) override;
    bool isGuiThread() const override;
    void processEvents() override;

private:
    QObject context_; // lives on the GUI thread; posted routines run in its thread
};

} // namespace pell::gui
