#include "app/LinkPolicy.h"

#include <gtest/gtest.h>

using pell::app::openableUrl;

namespace {

TEST(LinkPolicy, WebAndMailAddressesOpenAsTheyAre)
{
    for (const char* address : {"http://example.org/", "https://example.org/a?b=c#d", "ftp://files.example.org/x",
                                "mailto:someone@example.org", "HTTP://EXAMPLE.ORG", "Https://x"})
        EXPECT_EQ(openableUrl(address), std::optional<std::string>(address)) << address;
}

TEST(LinkPolicy, WwwAddressesOpenAsHttp)
{
    EXPECT_EQ(openableUrl("www.example.org"), "http://www.example.org");
    EXPECT_EQ(openableUrl("WWW.example.org/path"), "http://WWW.example.org/path");
}

TEST(LinkPolicy, EverythingElseIsRefused)
{
    for (const char* address : {"", "file:///etc/passwd", "javascript:alert(1)", "FILE:/bin/sh", "data:text/html,x",
                                "smb://host/share", "irc://irc.example.org/chan", "example.org", "/usr/bin/xterm",
                                "http://", "www.", "wwwexample.org", " http://example.org", "http://exa mple.org",
                                "http://example.org\n--help", "https://x\x7f", "mailto:"})
        EXPECT_EQ(openableUrl(address), std::nullopt) << address;
}

} // namespace
