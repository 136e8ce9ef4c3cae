#include "session/ButtonCaptions.h"

namespace pell::session {

const ButtonCaptions& ButtonCaptionsFor(int language)
{
    return language == 0 ? EnglishCH : GermanCH;
}

} // namespace pell::session
