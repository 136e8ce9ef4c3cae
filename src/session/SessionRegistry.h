#pragma once

#include "session/Session.h"

#include <memory>
#include <vector>

namespace pell::session {

// The open session windows' models, owned for the main window, which asks them all
// before it closes.
class SessionRegistry {
public:
    Session& Add(std::unique_ptr<Session> session);
    // Destroys the session (its window has closed); unknown sessions are ignored.
    void Remove(const Session* session);
    int Count() const { return static_cast<int>(sessions_.size()); }
    Session& At(int index) { return *sessions_.at(static_cast<std::size_t>(index)); }

    // The main window is asked to close: every session is asked in turn, so each
    // connected one sends its QUIT and starts its close timer. True when none refused.
    bool CloseRequestAll();

private:
    std::vector<std::unique_ptr<Session>> sessions_;
};

} // namespace pell::session
