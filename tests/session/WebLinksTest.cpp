#include "session/AddressList.h"
#include "session/WebLinks.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

using namespace pell::session;

namespace {

// Each found link as "text=>target".
std::vector<std::string> linksIn(std::string_view text)
{
    std::vector<std::string> found;
    for (const auto& link : FindWebLinks(text))
        found.push_back(std::string(text.substr(link.Begin, link.Length)) + "=>" + link.Target);
    return found;
}

} // namespace

// Tables: tests/data/session/weblinks.txt and collect-urls.txt.
TEST(WebLinks, AllowedSchemesBecomeLinksAndTheRestStaysText)
{
    for (const auto& c : pell::test::readCases("session/weblinks.txt"))
        EXPECT_EQ(linksIn(c.one("text")), c.lines("link")) << c.name;
}

// Each row is collected on top of "www.old"; the list reads top first.
TEST(CollectUrls, FindsAddressesNewestFirstOnTopOfWhatIsThere)
{
    for (const auto& c : pell::test::readCases("session/collect-urls.txt")) {
        SCOPED_TRACE(c.name);
        const std::string text = c.one("text"), expected = c.one("list");
        AddressList list;
        int changes = 0;
        list.OnChanged = [&] { ++changes; };
        CollectUrls("www.old", list);
        CollectUrls(text, list);
        std::string shown;
        for (const auto& entry : list.Entries())
            shown += entry + " ";
        EXPECT_EQ(shown, expected + (expected.empty() ? "" : " ") + "www.old ");
        EXPECT_EQ(changes, static_cast<int>(list.Entries().size())); // one report per address
    }
}
