#include "session/ChannelInText.h"

namespace pell::session {

bool TakeChannelFromText(std::string& channel, std::string& text)
{
    std::size_t hash;
    if (!text.empty() && text[0] == '#')
        hash = 0;
    else if (text.size() > 1 && text[1] == '#')
        hash = 1;
    else
        return false;
    const auto blank = text.find(' ', hash);
    if (blank == std::string::npos) {
        channel = text.substr(hash);
        text.resize(hash);
    } else {
        channel = text.substr(hash, blank - hash);
        text = text.substr(0, hash) + text.substr(blank + 1);
    }
    return true;
}

} // namespace pell::session
