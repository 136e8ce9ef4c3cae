#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pell::irc {

class TIdIRC;
class TIdIRCUser;

enum TIdIRCChannelMode : std::uint8_t {
    cmPrivate = 1 << 0,            // p
    cmSecret = 1 << 1,             // s
    cmInviteOnly = 1 << 2,         // i
    cmOpsSetTopic = 1 << 3,        // t
    cmNoExternalMessages = 1 << 4, // n
    cmModerated = 1 << 5,          // m
    cmUserLimit = 1 << 6,          // l
    cmKey = 1 << 7,                // k
};

enum class TIdIRCChannelUpdateType {
    cuMode,
    cuTopic,
    cuUser,
    cuNames,
    cuNick,
    cuJoin,
    cuPart,
    cuKick,
    cuQuit,
};

class TIdIRCChannel;
using ChannelUpdateHandler =
    std::function<void(TIdIRCChannel& sender, TIdIRCChannelUpdateType type, TIdIRCUser* user, int info)>;

// A channel the own nick is in, with its topic, modes and members.
class TIdIRCChannel {
public:
    TIdIRC* Client = nullptr;
    std::string Name;
    std::string Topic;
    std::uint8_t Mode = 0; // TIdIRCChannelMode bits
    int Limit = 0;
    std::string Key;
    bool Active = false;
    void* Data = nullptr;
    std::uint8_t CloseType = 0; // 0 open, 1 left by own PART, 2 own nick kicked
    // Copied from the engine when the channel is made; later changes do not reach it.
    ChannelUpdateHandler OnChannelUpdate;
};

} // namespace pell::irc
