#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace pell::irc {

// A CTCP text taken apart: the word after the opening 0x01 and the arguments after the
// first blank. The last character (the closing 0x01) is dropped unseen. Both views
// point into the text.
struct CtcpText {
    std::string_view Command;
    std::string_view Args;
};
CtcpText SplitCtcp(std::string_view text);

// The CTCP words the engine knows, matched exactly.
enum class CtcpWord { Action, Sound, Ping, Finger, UserInfo, Version, ClientInfo, Time, Error, Dcc, Other };
CtcpWord CtcpWordOf(std::string_view command);

// The words of a DCC offer, cut at every blank (two blanks give an empty word).
std::vector<std::string_view> SplitDccWords(std::string_view args);

// A SEND offer whose file name stands in double quotes (as clients send names with
// blanks): the quoted words become one word 1 without the quotes.
std::vector<std::string_view> JoinQuotedDccName(std::vector<std::string_view> words);

// Word i of a DCC offer, empty when the offer has fewer words.
inline std::string DccWord(const std::vector<std::string_view>& words, std::size_t index)
{
    return index < words.size() ? std::string(words[index]) : std::string();
}

// The text of the automatic TIME reply for the given moment, in local time.
std::string CtcpTimeText(std::time_t moment);

// A PING reply echoes the request's arguments; without its 0x01 characters, so a peer
// cannot make the echo carry a CTCP of its own choosing.
std::string CtcpPingEcho(std::string_view args);

} // namespace pell::irc
