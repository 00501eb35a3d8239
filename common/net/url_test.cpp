#include "common/net/url.h"

#include <gtest/gtest.h>

namespace net {
namespace {

// Addresses split into host, port and path, with the defaults of each scheme.
TEST(Url, SplitsHostPortAndPath) {
    auto u = ParseUrl("http://127.0.0.1:8123/tickers/plticker100.txt");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->host, "127.0.0.1");
    EXPECT_EQ(u->port, 8123);
    EXPECT_EQ(u->path, "/tickers/plticker100.txt");
    EXPECT_FALSE(u->secure());

    u = ParseUrl("HTTPS://Example.com");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->scheme, "https");
    EXPECT_EQ(u->port, 443);
    EXPECT_EQ(u->path, "/");

    u = ParseUrl("http://counter.example/n?id=Kf3Rz82qTm1NvHx6+p+LdaW4ucjo#top");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->port, 80);
    EXPECT_EQ(u->path, "/n?id=Kf3Rz82qTm1NvHx6+p+LdaW4ucjo") << "query kept, fragment dropped";

    u = ParseUrl("http://host?x=1");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->host, "host");
    EXPECT_EQ(u->path, "/?x=1");

    u = ParseUrl("http://[::1]:8080/a");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->host, "::1");
    EXPECT_EQ(u->port, 8080);
}

// Anything that is not a plain web address with a host is refused.
TEST(Url, RefusesOtherSchemesAndMalformedAuthorities) {
    for (const char* bad :
         {"", "www.example.com", "ftp://example.com/", "file:///c:/windows/calc.exe",
          "javascript://alert(1)", "http://", "http:///path", "http://host:/", "http://host:0/",
          "http://host:65536/", "http://host:12a/", "http://user@evil.example/",
          "http://good.example@evil.example/", "http://exa mple.com/", "http://host/a\r\nX: 1",
          "http://[::1/", "http://[::1]x/"})
        EXPECT_FALSE(ParseUrl(bad)) << bad;
    EXPECT_TRUE(ParseUrl("http://host:65535/"));
}

TEST(Url, JoinPutsOneSlashBetweenBaseAndPath) {
    EXPECT_EQ(JoinUrl("http://127.0.0.1:8123", "/program.htm"),
              "http://127.0.0.1:8123/program.htm");
    EXPECT_EQ(JoinUrl("http://127.0.0.1:8123/", "/program.htm"),
              "http://127.0.0.1:8123/program.htm");
    EXPECT_EQ(JoinUrl("http://h//", "n?id=1"), "http://h/n?id=1");
}

}  // namespace
}  // namespace net
