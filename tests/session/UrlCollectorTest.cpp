#include "session/AddressList.h"

#include <gtest/gtest.h>

using namespace pell::session;

TEST(CollectUrls, FindsAddressesNewestFirst)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> list; // top first
    } cases[] = {
        {"http then www at end", "see http://a.org/x now www.b.de",
         {"www.b.de", "http://a.org/x"}},
        {"www inside http is one entry", "http://www.c.com", {"http://www.c.com"}},
        {"https before http", "http://one https://two", {"http://one", "https://two"}},
        {"delimiters", "(http://p.q)\"www.r.s\"x\rhttp://t.u\r",
         {"www.r.s", "http://t.u", "http://p.q"}},
        {"two of a kind, last found first", "www.a www.b", {"www.b", "www.a"}},
        {"nothing", "no links here", {}},
        {"marker alone", "http://", {"http://"}},
    };
    for (const auto& c : cases) {
        AddressList list;
        CollectUrls(c.text, list);
        EXPECT_EQ(std::vector<std::string>(list.Entries().begin(), list.Entries().end()), c.list) << c.name;
    }
}

TEST(CollectUrls, AddsOnTopOfWhatIsThereAndReports)
{
    AddressList list;
    int changes = 0;
    list.OnChanged = [&] { ++changes; };
    CollectUrls("www.old", list);
    CollectUrls("http://new", list);
    EXPECT_EQ(list.Entries().front(), "http://new");
    EXPECT_EQ(list.Entries().back(), "www.old");
    EXPECT_EQ(changes, 2);
}
