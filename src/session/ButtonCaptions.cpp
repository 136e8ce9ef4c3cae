#include "session/ButtonCaptions.h"

namespace pell::session {

const ButtonCaptions& ButtonCaptionsFor(settings::Language language)
{
    return language == settings::Language::English ? EnglishButtonCaptions : GermanButtonCaptions;
}

} // namespace pell::session
