#include "common/net/http_response.h"

#include <gtest/gtest.h>

namespace net {
namespace {

TEST(HttpResponse, ContentLengthFromRawHeaders) {
    EXPECT_EQ(ContentLength("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 42\r\n"
                            "\r\n"),
              42u);
    EXPECT_EQ(ContentLength("HTTP/1.0 200 OK\ncontent-length:7\n"), 7u) << "LF only, any case";
    EXPECT_EQ(ContentLength("HTTP/1.1 200 OK\r\nContent-Length:   0  \r\n"), 0u);
    EXPECT_EQ(ContentLength("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 9\r\n"), 5u)
        << "the first line counts";
    EXPECT_FALSE(ContentLength("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"));
    EXPECT_FALSE(ContentLength("HTTP/1.1 200 OK\r\nContent-Length: -1\r\n"));
    EXPECT_FALSE(ContentLength("HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n"));
    EXPECT_FALSE(ContentLength("HTTP/1.1 200 OK\r\nContent-Length:\r\n"));
    EXPECT_FALSE(ContentLength("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n"));
    EXPECT_FALSE(ContentLength("HTTP/1.1 200 OK\r\nX-Content-Length: 3\r\n"));
}

// A dropped connection shows as fewer bytes than announced, or as a failed read.
TEST(HttpResponse, BodyCompleteOnlyWhenTheAnnouncedLengthArrived) {
    EXPECT_TRUE(BodyComplete(true, 100, 100));
    EXPECT_FALSE(BodyComplete(true, 100, 40)) << "cut short";
    EXPECT_FALSE(BodyComplete(true, 100, 140)) << "more than announced";
    EXPECT_FALSE(BodyComplete(false, 100, 100)) << "a read failed";
    EXPECT_TRUE(BodyComplete(true, std::nullopt, 12)) << "no length: read to the close";
    EXPECT_FALSE(BodyComplete(false, std::nullopt, 12));

    HttpResponse r;
    r.status = 200;
    r.complete = true;
    EXPECT_TRUE(r.CompleteOk());
    r.complete = false;
    EXPECT_FALSE(r.CompleteOk());
    r.status = 404;
    r.complete = true;
    EXPECT_FALSE(r.CompleteOk());
}

TEST(HttpResponse, HeaderBlockHasNoTrailingLineBreak) {
    EXPECT_EQ(HeaderBlock({"A: 1", "B: 2"}), "A: 1\r\nB: 2");
    EXPECT_EQ(HeaderBlock({"A: 1"}), "A: 1");
    EXPECT_EQ(HeaderBlock({}), "");
}

}  // namespace
}  // namespace net
