#include "session/AddressList.h"
#include "session/WebLinks.h"

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

TEST(WebLinks, AllowedSchemesBecomeLinks)
{
    const struct {
        std::string text;
        std::vector<std::string> links;
    } cases[] = {
        {"see http://a.org/x now", {"http://a.org/x=>http://a.org/x"}},
        {"https://b.de/?q=1&r=2", {"https://b.de/?q=1&r=2=>https://b.de/?q=1&r=2"}},
        {"get ftp://f.net/pub", {"ftp://f.net/pub=>ftp://f.net/pub"}},
        {"mail mailto:bob@x.org", {"mailto:bob@x.org=>mailto:bob@x.org"}},
        {"www.c.com", {"www.c.com=>http://www.c.com"}},
        {"HTTP://UP.ORG", {"HTTP://UP.ORG=>HTTP://UP.ORG"}},
        {"http://www.c.com is one", {"http://www.c.com=>http://www.c.com"}},
        {"<bob>:http://a www.b", {"http://a=>http://a", "www.b=>http://www.b"}},
        {"utf8 http://ex\xC3\xA4mple.de/\xC3\xBC ok", {"http://ex\xC3\xA4mple.de/\xC3\xBC=>http://ex\xC3\xA4mple.de/\xC3\xBC"}},
        // Ends at delimiters and drops sentence punctuation.
        {"see http://a.org.", {"http://a.org=>http://a.org"}},
        {"(http://a.org/x)", {"http://a.org/x=>http://a.org/x"}},
        {"http://w.org/Foo_(bar) ok", {"http://w.org/Foo_(bar)=>http://w.org/Foo_(bar)"}},
        {"\"http://q.org\"x", {"http://q.org=>http://q.org"}},
        {"<a href=http://h.org>x</a>", {"http://h.org=>http://h.org"}},
        {"http://a.org\x03" "4red", {"http://a.org=>http://a.org"}},
        {"http://a.org\rhttp://b.org", {"http://a.org=>http://a.org", "http://b.org=>http://b.org"}},
        {"ask www.x.de, then?", {"www.x.de=>http://www.x.de"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linksIn(c.text), c.links) << c.text;
}

TEST(WebLinks, OtherSchemesAndGluedMarkersStayText)
{
    for (const char* text : {"file:///etc/passwd", "javascript:alert(1)", "javascript:http://x.org", "<bob>:javascript:http://x.org",
                             "file://www.x.org/a", "xhttp://a.org", "data:text/html,hi", "smb://host/share",
                             "http://", "www.", "mailto:", "http://.", "nowww.here", "\x80www.x.org"})
        EXPECT_TRUE(FindWebLinks(text).empty()) << text;
}

// Each row is collected on top of "www.old"; the list reads top first.
TEST(CollectUrls, FindsAddressesNewestFirstOnTopOfWhatIsThere)
{
    const std::pair<std::string, std::string> cases[] = {
        {"see http://a.org/x now www.b.de", "www.b.de http://a.org/x"},
        {"http://www.c.com", "http://www.c.com"}, // www inside http is one entry
        {"http://one https://two", "http://one https://two"},
        {"(http://p.q)\"www.r.s\"x\rhttp://t.u\r", "www.r.s http://t.u http://p.q"},
        {"www.a www.b", "www.b www.a"},
        {"no links here", ""},
        {"http://", "http://"},
    };
    for (const auto& [text, expected] : cases) {
        AddressList list;
        int changes = 0;
        list.OnChanged = [&] { ++changes; };
        CollectUrls("www.old", list);
        CollectUrls(text, list);
        std::string shown;
        for (const auto& entry : list.Entries())
            shown += entry + " ";
        EXPECT_EQ(shown, expected + (expected.empty() ? "" : " ") + "www.old ") << text;
        EXPECT_EQ(changes, static_cast<int>(list.Entries().size())) << text; // one report per address
    }
}
