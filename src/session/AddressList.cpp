#include "session/AddressList.h"

namespace pell::session {

void AddressList::InsertAtTop(std::string address)
{
    entries_.push_front(std::move(address));
    if (OnChanged)
        OnChanged();
}

void CollectUrls(std::string_view text, AddressList& addresses)
{
    // Each address found is cut out of the copy, so a "http://www." address is not
    // found again by the "www." pass.
    std::string rest(text);
    for (const char* marker : {"https://", "http://", "www."}) {
        for (auto at = rest.find(marker); at != std::string::npos; at = rest.find(marker)) {
            const auto end = rest.find_first_of("()\" \r", at + 1);
            const auto length = (end == std::string::npos ? rest.size() : end) - at;
            addresses.InsertAtTop(rest.substr(at, length));
            rest.erase(at, end == std::string::npos ? std::string::npos : length + 1);
        }
    }
}

} // namespace pell::session
