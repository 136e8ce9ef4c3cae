#pragma once

#include "app/Captions.h"

#include <string>
#include <vector>

namespace pell::app {

// The help window's command reference in the language given: a title, an empty line,
// then for each command its description, the command, "Syntax" and the syntax, and an
// empty line (one more after QUIT); the server's commands, then the client's own. UTF-8,
// 199 lines.
std::vector<std::string> HelpLines(Language language);

// What the help window holds before any language is applied: a German text of the same
// layout, worded a little differently in places.
std::vector<std::string> BuiltInHelpLines();

} // namespace pell::app
