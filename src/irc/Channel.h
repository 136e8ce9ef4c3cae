#pragma once

#include "irc/ChannelMembers.h"
#include "irc/ClientEvents.h"
#include "irc/ServerSupport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pell::irc {

class User;
class Users;
class Channels;

// Bits of Channel::Mode.
namespace channel_mode {
inline constexpr std::uint8_t Private = 1 << 0;            // p
inline constexpr std::uint8_t Secret = 1 << 1;             // s
inline constexpr std::uint8_t InviteOnly = 1 << 2;         // i
inline constexpr std::uint8_t OpsSetTopic = 1 << 3;        // t
inline constexpr std::uint8_t NoExternalMessages = 1 << 4; // n
inline constexpr std::uint8_t Moderated = 1 << 5;          // m
inline constexpr std::uint8_t UserLimit = 1 << 6;          // l
inline constexpr std::uint8_t Key = 1 << 7;                // k
} // namespace channel_mode

// Why the own nick is no longer in a channel.
enum class ChannelLeave : std::uint8_t { StillIn, Parted, Kicked };

// A channel the own nick is in, with its topic, modes and members. Every operation that
// takes a user does nothing for a null user or one whose nick is not a member.
class Channel {
public:
    std::string Name;
    std::string Topic;
    std::uint8_t Mode = 0; // channel_mode bits
    int Limit = 0;
    std::string Key;
    ChannelMembers Names;          // flags: one bit per prefix mode of Support()
    std::vector<std::string> Bans; // never filled: bans are only reported as events
    bool Active = false;
    ChannelLeave Left = ChannelLeave::StillIn;

    // One entry of a names reply ("@op", "+voice", "@+both", "@op+", "nick"), its prefixes
    // those the server announced. The membership holds one reference to the user; returns
    // null when the nick is already listed.
    User* AddUser(std::string_view entry, std::string_view address);
    void Joined(User* user);
    void Parted(User* user);
    void Kicked(User* user);
    void Quit(User* user);
    void Op(User* user);
    void Deop(User* user);
    void Voice(User* user);
    void Devoice(User* user);
    // Sets or clears the prefix mode of that letter ("o", "h", "q", ...).
    void SetMemberMode(User* user, char letter, bool adding);
    // The prefixes the server announced, and the one shown for a member's flags.
    const ServerSupport& Support() const;
    std::string_view ShownPrefix(int flags) const { return Support().ShownPrefix(flags); }
    // The server announced other prefixes: every member keeps the modes it holds.
    void TranslateFlags(const ServerSupport& from);
    // Renames the member's entry; the user record itself is renamed afterwards.
    void ChangedNick(User* user, std::string_view newNick);
    void SetTopic(std::string_view text);
    void SetMode(std::uint8_t modes);
    void SetLimit(int limit);
    void SetKey(std::string_view key);
    // Tells the engine's listener that tracking changed this channel.
    void ReportUpdate(ChannelUpdate type, User* user = nullptr, int info = 0);

private:
    friend class Channels;

    int indexOf(const User* user) const;
    void leave(User* user, ChannelUpdate type);
    Users* users_ = nullptr;
    ClientEvents* events_ = nullptr;
    const ServerSupport* support_ = nullptr;
};

} // namespace pell::irc
