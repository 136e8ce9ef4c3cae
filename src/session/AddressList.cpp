#include "session/AddressList.h"

namespace pell::session {

void AddressList::InsertAtTop(std::string_view address)
{
    entries_.push_back(address);
    if (OnChanged)
        OnChanged();
}

std::vector<std::string> AddressList::ToVector() const
{
    std::vector<std::string> out;
    out.reserve(size());
    for (std::size_t row = 0; row < size(); ++row)
        out.emplace_back(At(row));
    return out;
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
            addresses.InsertAtTop(std::string_view(rest).substr(at, length));
            rest.erase(at, end == std::string::npos ? std::string::npos : length + 1);
        }
    }
}

} // namespace pell::session
