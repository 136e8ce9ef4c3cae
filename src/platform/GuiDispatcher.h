#pragma once

#include <functional>

namespace pell::platform {

// What the models need from the thread that runs the windows. The Qt program posts
// into its event loop; tests use a queue they pump by hand.
class GuiDispatcher {
public:
    virtual ~GuiDispatcher() = default;

    // Queues a routine for the GUI thread and returns at once.
    virtual void post(std::function<void()> routine) = 0;

    // True when called on the GUI thread itself.
    virtual bool isGuiThread() const = 0;

    // Lets the GUI thread handle pending window events while it waits in a blocking
    // call (a connect, say), so the windows stay responsive.
    virtual void processEvents() {}
};

} // namespace pell::platform
