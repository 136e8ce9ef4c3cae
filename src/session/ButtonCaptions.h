#pragma once

#include "settings/AppSettings.h"

#include <string_view>

namespace pell::session {

// The captions of a session window's buttons, chosen once when the window is made.
// The "Away" box and every other fixed text keep their English wording.
struct ButtonCaptions {
    std::string_view Join;
    std::string_view Leave;
    std::string_view ChangeNick;
    std::string_view ShowChannels;
    std::string_view Run;
    std::string_view Userlist;
    std::string_view Clear;
    std::string_view Reconnect;
    std::string_view Close;
    std::string_view Action;
    std::string_view Save;
    // The find bar.
    std::string_view Find;
    std::string_view FindPrevious;
    std::string_view FindNext;
    std::string_view NotFound;
};

inline constexpr ButtonCaptions EnglishButtonCaptions{
    "Join", "Leave", "Change Nick", "Show Channels", "Run", "Userlist", "Clear", "Reconnect", "Close", "Action", "Save",
    "Find:", "Previous", "Next", "Not found",
};

inline constexpr ButtonCaptions GermanButtonCaptions{
    "Beitreten", "Verlassen", "Ändere Nick", "Zeige Channels", "Ausführen", "Userliste",
    "Löschen",   "Reconnect", "Schließen",   "Aktion",         "Speichern",
    "Suchen:",   "Zurück",    "Weiter",      "Nicht gefunden",
};

const ButtonCaptions& ButtonCaptionsFor(settings::Language language);

} // namespace pell::session
