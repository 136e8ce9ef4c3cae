#pragma once

#include "session/FormattedText.h"
#include "session/NickList.h"
#include "session/SessionViewPort.h"

#include <memory>
#include <string>

namespace pell::session {

enum class TabKind { Text, Ignore };

// What a tab holds that the user has not seen yet: cleared when it becomes active.
enum class TabActivity { None, NewLines, Mention };

// One tab of a session window. A text tab has a text store and a nick list; the
// ignore tab has neither (it shows the window's ignore list).
struct SessionTab {
    TabId Id = 0;
    std::string Caption;
    TabKind Kind = TabKind::Text;
    std::unique_ptr<FormattedText> Text;
    std::unique_ptr<NickList> Nicks;
    TabActivity Activity = TabActivity::None;

    bool IsText() const { return Kind == TabKind::Text; }
};

} // namespace pell::session
