#include "session/SessionRegistry.h"

#include <algorithm>

namespace pell::session {

Session& SessionRegistry::Add(std::unique_ptr<Session> session)
{
    sessions_.push_back(std::move(session));
    return *sessions_.back();
}

void SessionRegistry::Remove(const Session* session)
{
    const auto found = std::find_if(sessions_.begin(), sessions_.end(),
                                     [session](const auto& entry) { return entry.get() == session; });
    if (found == sessions_.end())
        return;
    // Out of the list first: the session's end may report to whoever walks it.
    std::unique_ptr<Session> gone = std::move(*found);
    sessions_.erase(found);
    gone->Lifecycle().Closed();
}

bool SessionRegistry::CloseRequestAll()
{
    bool allowed = true;
    for (const auto& session : sessions_)
        allowed = session->Lifecycle().CloseRequest() && allowed;
    return allowed;
}

} // namespace pell::session
