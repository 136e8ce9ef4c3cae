#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pell::irc {

class TIdIRCUser;
class TIdIRCUsers;
class TIdIRCChannel;

// Everything the engine reports. An event that is not assigned is skipped; binding
// one is a single assignment. Records (AUser, AChannel, ...) may be null; handlers
// treat null as an empty nick or name. The engine itself is the sender of them all.
struct TIdIRCEvents {
    using Text = const std::string&;
    using User = TIdIRCUser*;
    using Channel = TIdIRCChannel*;

    std::function<void(User AUser, Channel AChannel, Text Content)> OnMessage;
    std::function<void(User AUser, Channel AChannel, Text Content)> OnNotice;
    std::function<void(User AUser, Channel AChannel, Text Content)> OnAction;
    std::function<void()> OnConnect;
    std::function<void()> OnDisconnect;
    std::function<void(User AUser, Channel AChannel)> OnJoin;
    std::function<void(Channel AChannel)> OnJoined;
    std::function<void(User AUser, Channel AChannel)> OnPart;
    std::function<void(Channel AChannel)> OnParted;
    std::function<void(User AUser, User AVictim, Channel AChannel)> OnKick;
    std::function<void(User AUser, Channel AChannel)> OnKicked;
    std::function<void(User AUser, Text ANewNick)> OnNickChange;
    std::function<void(Text AOldNick)> OnNickChanged;
    std::function<void(User AUser, Channel AChannel, Text AChanName, Text ATopic)> OnTopic;
    std::function<void(User AUser)> OnQuit;
    std::function<void(TIdIRCUsers& AUsers, Channel AChannel)> OnNames;
    std::function<void(User AUser, Text AChannel)> OnInvite;
    std::function<void()> OnPingPong;
    std::function<void(User AUser, Text ANumeric, Text AError)> OnError;
    std::function<void(User AUser)> OnAway;
    std::function<void(Text AContent)> OnNowAway;
    std::function<void(Text AContent)> OnUnAway;
    std::function<void(User AUser, Text AContent)> OnWallops;
    std::function<void(User AUser, int ACmdCode, Text ACommand, Text AContent)> OnSystem;
    std::function<void(User AUser, Text ACommand, Text AContent, bool& Suppress)> OnRaw;
    std::function<void(User AUser, Channel AChannel, User ATarget)> OnOp;
    std::function<void(User AUser, Channel AChannel, User ATarget)> OnDeop;
    std::function<void(User AUser, Channel AChannel, User ATarget)> OnVoice;
    std::function<void(User AUser, Channel AChannel, User ATarget)> OnDevoice;
    std::function<void(User AUser, Channel AChannel, Text AHostmask)> OnBan;
    std::function<void(User AUser, Channel AChannel, Text AHostmask)> OnUnban;
    std::function<void(User AUser, Channel AChannel, Text AChanName, Text AModes)> OnChannelMode;
    std::function<void(User AUser, Channel AChannel)> OnChannelModeChanged; // never raised
    std::function<void(Text AModes)> OnUserMode;
    std::function<void()> OnUserModeChanged;
    std::function<void(Text ANick, Text AChannel)> OnInviting;
    std::function<void(User AUser, Text AVictim, Text AReason)> OnKill;
    std::function<void(User AUser, Text ACommand, Text AContent)> OnUnknownCommand;
    std::function<void(User AUser, Channel AChannel, Text Command, Text Args, bool& ASuppress)> OnCTCPQuery;
    std::function<void(User AUser, Channel AChannel, Text Command, Text Args)> OnCTCPReply;
    std::function<void()> OnStateChange;
    std::function<void(Text ACommand)> OnSend;
    std::function<void(Text ACommand)> OnReceive;
    std::function<void(std::string& ANick)> OnNicksInUse;
    std::function<void(Text ASocket, Text AMsg)> OnSocketError; // never raised
    // A handler failed on a line (an error other than the connection's own); the line
    // is dropped and the next one handled. Raised at most a few times in a while.
    std::function<void(Text AMessage)> OnHandlerError;
    std::function<void(Channel AChannel, Text AContent)> OnNoTopic;
    std::function<void(Text ANick, Text AIp, Text APort)> OnDCCChat;
    std::function<void(Text ANick, Text AIp, Text APort, Text AFileName, Text AFileSize)> OnDCCSend;
    std::function<void(Text ANick, Text APort, Text AFileName, Text APosition)> OnDCCResume;
    std::function<void(Text ANick, Text APort, Text AFileName, Text APosition)> OnDCCAccept;
    std::function<void(Text AMask, Text AServer, Text AHopCount, Text AServerInfo)> OnLinks;
    std::function<void(const std::vector<std::string>& AChans, int APosition, bool ALast)> OnList;
    // The transport's own event: the TCP (and proxy) connection is up.
    std::function<void()> OnConnected;
};

} // namespace pell::irc
