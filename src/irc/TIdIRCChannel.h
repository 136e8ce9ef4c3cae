#pragma once

#include "irc/TIdIRCNames.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pell::irc {

class TIdIRC;
class TIdIRCUser;
class TIdIRCUsers;
class TIdIRCChannels;

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

// A channel the own nick is in, with its topic, modes and members. Every operation that
// takes a user does nothing for a null user or one whose nick is not a member.
class TIdIRCChannel {
public:
    TIdIRC* Client = nullptr;
    std::string Name;
    std::string Topic;
    std::uint8_t Mode = 0; // TIdIRCChannelMode bits
    int Limit = 0;
    std::string Key;
    TIdIRCNames Names;              // flags: nfOperator, nfVoice
    std::vector<std::string> Bans;  // never filled: bans are only reported as events
    bool Active = false;
    void* Data = nullptr;
    std::uint8_t CloseType = 0; // 0 open, 1 left by own PART, 2 own nick kicked
    // Copied from the engine when the channel is made; later changes do not reach it.
    ChannelUpdateHandler OnChannelUpdate;

    // One entry of a names reply ("@op", "+voice", "@op+", "nick"). The membership holds
    // one reference to the user; returns null when the nick is already listed.
    TIdIRCUser* AddUser(std::string_view entry, std::string_view address);
    void Joined(TIdIRCUser* user);
    void Parted(TIdIRCUser* user);
    void Kicked(TIdIRCUser* user);
    void Quit(TIdIRCUser* user);
    void Op(TIdIRCUser* user);
    void Deop(TIdIRCUser* user);
    void Voice(TIdIRCUser* user);
    void Devoice(TIdIRCUser* user);
    // Renames the member's entry; the user record itself is renamed afterwards.
    void ChangedNick(TIdIRCUser* user, std::string_view newNick);
    void SetTopic(std::string_view text);
    void SetMode(std::uint8_t modes);
    void SetLimit(int limit);
    void SetKey(std::string_view key);

private:
    friend class TIdIRCChannels;

    int indexOf(const TIdIRCUser* user) const;
    void leave(TIdIRCUser* user, TIdIRCChannelUpdateType type);
    void changeFlags(TIdIRCUser* user, int set, int clear);
    void update(TIdIRCChannelUpdateType type, TIdIRCUser* user, int info);

    TIdIRCUsers* users_ = nullptr;
};

} // namespace pell::irc
