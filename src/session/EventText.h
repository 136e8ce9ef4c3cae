#pragma once

#include "settings/AppSettings.h"

#include <string>
#include <string_view>

namespace pell::session {

// The sentences of the common events. The numbers are the kinds callers pass.
enum class EventKind {
    Kick = 1,
    Join = 2,
    NickInUse = 3,
    Kill = 4,
    NickChange = 5,
    Ban = 6,
    Away = 7,
    // {a}: the caption of the tab the text was typed on.
    PlainTextRefused = 8,
    HandlerError = 9,
    // {a}: the caption of a channel tab the user is no longer in.
    NotInChannel = 10,
    // {a}: the server's ERROR text.
    ServerError = 11,
    // The connection ended; {a}: the reason the server gave.
    ConnectionEnded = 12,
    ConnectionEndedBecause = 13,
    // {a}: who set the topic, {b}: when. {a}: when the channel was made.
    TopicSetBy = 14,
    ChannelCreated = 15,
};

// One sentence in the language given. The arguments
// go in as they are: no quoting, no trimming, and a "{" in a nick stays a "{".
std::string EventText(settings::Language language, EventKind kind, std::string_view a, std::string_view b = {},
                      std::string_view reason = {});

} // namespace pell::session
