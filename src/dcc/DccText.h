#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pell::dcc {

// The language of the interface, as far as the DCC texts are concerned.
enum class Language : std::uint8_t { English, German };

// The texts DCC adds to the session's "Main" tab and to its transfer and chat windows.
// "{0}", "{1}", ... stand for the arguments, which go in as they are.
enum class DccMessage : std::uint8_t {
    OfferDropped,      // {0}: nick(address:port):file:size
    OfferBadAddress,   // {0} as above, {1}: the dotted address
    OfferBadPort,      // {0} as above, {1}: the port word
    ChatDropped,       // {0}: nick, {1}: address:port
    ChatTooMany,       // {0}: nick
    ChatBadAddress,    // {0}: nick, {1}: address:port, {2}: the dotted address
    ChatBadPort,       // {0}: nick, {1}: address:port, {2}: the port word
    SendNoPort,        // {0}: the path
    ChatNoPort,        // {0}: nick
    FileIncomplete,    // {0} of {1} bytes
    MoreThanAnnounced, // {0}: bytes not stored, {1}: the announced size
    FileEndedEarly,    // {0} of {1} bytes
    NoAcknowledgement, // {0}: the receiver's address, {1}: seconds
    ChatConnected,     // {0}: address:port
    ChatNotReading,    // {0}: address:port
    ChatNotTaking,
    ChatClosed,        // {0}: nick
    ChatFailed,        // {0}: nick, {1}: the system's text
    ResumeQuestion,    // {0}: file, {1}: size, {2}: nick, {3}: address, {4}: the bytes already stored
    ResumeRefused,     // {0}: nick, {1}: port word, {2}: the reason (one of the three below)
    NoOfferOnPort,     // {0}: port word
    OfferedToOther,    // {0}: the nick it was offered to
    BeyondTheSize,     // {0}: position, {1}: size
    AcceptIgnored,     // {0}: nick, {1}: port word
    ResumingAt,        // {0}: the bytes already stored
    NoResumeAnswer,    // {0}: the bytes already stored
    ReceiveNoPort,     // {0}: the file name
    WaitingForSender,  // {0}: nick, {1}: our port
    NobodyConnected,   // {0}: seconds
    ReplyIgnored,      // {0}: nick, {1}: the reason (one of the three below, or OfferedToOther)
    UnknownToken,      // {0}: the token
    AlreadyAnswered,
    SeenAddressUnknown, // {0}: the address named instead
    TypedAddressInvalid, // {0}: the text typed, {1}: the address named instead
};

std::string DccText(Language language, DccMessage message, std::initializer_list<std::string_view> args = {});

// A line for a window that follows the language: both texts, chosen when it is shown.
struct StatusLine {
    std::string English;
    std::string German;

    const std::string& In(Language language) const { return language == Language::German ? German : English; }
};

// A line that reads the same in both languages (the protocol's own lines).
inline StatusLine Same(std::string text)
{
    return {text, text};
}

StatusLine Both(DccMessage message, std::initializer_list<std::string_view> args = {});

} // namespace pell::dcc
