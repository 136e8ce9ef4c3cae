#pragma once

#include "session/FormattedLine.h"

#include <string_view>

namespace pell::session {

using TabId = int;

// What the session window's widgets hear from the model. Each call names what changed;
// the view reads the new state from the model. Every method does nothing by default.
class SessionViewPort {
public:
    virtual ~SessionViewPort() = default;

    // A tab was added, removed, moved or renamed: re-read the tab bar.
    virtual void tabsChanged() {}
    virtual void activeTabChanged() {}
    virtual void lineAppended(TabId, const FormattedLine&) {}
    virtual void textCleared(TabId) {}
    virtual void nickListChanged(TabId) {}
    virtual void ignoreListChanged() {}
    virtual void rawLogAppended() {}
    virtual void statusPanelChanged(int /*panel*/) {}
    virtual void captionChanged() {}
    virtual void channelBoxChanged() {}
    // The model replaced the input line's text: show it with the cursor at its end.
    virtual void inputLineChanged(std::string_view /*text*/) {}
};

} // namespace pell::session
