#pragma once

#include "session/StringList.h"

#include <string>
#include <vector>

namespace pell::session {

// Every raw server line and socket error of the connection, in arrival order. Never
// trimmed: it is the connection's log.
class RawLog {
public:
    RawLog() = default;
    // Shares the arena with the session's text, which repeats most of each line.
    explicit RawLog(std::shared_ptr<StringArena> arena) : entries_(std::move(arena)) {}

    const StringList& Entries() const { return entries_; }
    int Selected() const { return selected_; }

    // Appends and selects the new entry, so the view shows the newest line.
    void AppendSelected(std::string_view entry);
    // Appends and leaves the selection where it is.
    void Append(std::string_view entry) { entries_.push_back(entry); }

private:
    StringList entries_;
    int selected_ = -1;
};

} // namespace pell::session
