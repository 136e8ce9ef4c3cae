#pragma once

#include "session/NickCompletion.h"

#include <string>
#include <string_view>

namespace pell::session {

// The text without IRC formatting: bold, colour (with its digits), reset, reverse,
// italic and underline codes are dropped, so a coloured nick still reads as a word.
std::string WithoutFormatting(std::string_view text);

// Whether a text names the nick, or one of the extra words (separated by blanks or
// commas), as a whole word: "bob:" and "@bob" name bob, "bobby" does not. Letters compare
// with the server's case mapping.
bool NamesMe(std::string_view text, std::string_view nick, std::string_view extraWords,
             CaseMapping mapping = CaseMapping::Rfc1459);

} // namespace pell::session
