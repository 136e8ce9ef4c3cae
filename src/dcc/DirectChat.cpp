#include "dcc/DirectChat.h"

namespace pell::dcc {

void DirectChat::Connect()
{
    captioned_ = true;
    client_.SetRemoteHost(Host);
    client_.SetRemotePort(std::to_string(Port));
    client_.Open();
}

void DirectChat::Send(const std::string& text)
{
    lines_.Add(OwnNick, text);
    // A partner that stopped reading would get the rest of a cut line glued to the
    // next one: drop the connection instead.
    if (!client_.SendLine(text, "\r\n") && client_.Established()) {
        client_.Close();
        lines_.AddNote("Disconnected: the partner does not take what is sent");
    }
}

void DirectChat::receive(const char* data, std::size_t n)
{
    ReceiveBuffer.append(data, n);
    std::size_t start = 0;
    for (std::size_t feed; (feed = ReceiveBuffer.find('\n', start)) != std::string::npos; start = feed + 1)
        lines_.Add(RemoteNick, ReceiveBuffer.substr(start, feed - start));
    ReceiveBuffer.erase(0, start);
    // A partner that never sends a line feed must not grow this without end.
    while (ReceiveBuffer.size() > MaxPending) {
        lines_.Add(RemoteNick, ReceiveBuffer.substr(0, MaxPending));
        ReceiveBuffer.erase(0, MaxPending);
    }
}

} // namespace pell::dcc
