// HttpGet against the local test server: status, headers and body; a body cut short is
// reported incomplete; extra header lines stand instead of WinINet's own.
#include "common/net/http_client_win.h"

#include <gtest/gtest.h>

#include "http_test_server.h"

namespace net {
namespace {

using namespace std::chrono_literals;

TEST(HttpGet, StatusHeadersAndWholeBody) {
    e2e::TestServer server(
        "{\"/feed\": {\"body\": \"line one\\r\\nline two\"}, \"/gone\": {\"status\": 404, "
        "\"body\": \"<html>gone</html>\"}, \"/empty\": {\"body\": \"\"}}");
    ASSERT_TRUE(server.started());
    HttpResponse r = HttpGet(server.base() + "/feed");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "line one\r\nline two");
    EXPECT_TRUE(r.complete);
    EXPECT_TRUE(r.CompleteOk());
    EXPECT_EQ(ContentLength(r.headers), 18u);

    r = HttpGet(server.base() + "/gone");
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.body, "<html>gone</html>");
    EXPECT_FALSE(r.CompleteOk());

    r = HttpGet(server.base() + "/empty");
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.body, "");
}

// The server announces 300 bytes and closes after 40: the body is incomplete.
TEST(HttpGet, DroppedBodyIsIncomplete) {
    e2e::TestServer server("{\"/feed\": {\"body\": " + e2e::JsonText(std::string(300, 'x')) +
                           ", \"drop_after\": 40}}");
    ASSERT_TRUE(server.started());
    HttpResponse r = HttpGet(server.base() + "/feed");
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(r.complete);
    EXPECT_FALSE(r.CompleteOk());
    EXPECT_LE(r.body.size(), 40u);
    EXPECT_FALSE(r.error.empty());
}

// A body past the limit is cut off and reported incomplete.
TEST(HttpGet, BodyPastTheLimitIsIncomplete) {
    e2e::TestServer server("{\"/big\": {\"body\": " + e2e::JsonText(std::string(5000, 'y')) + "}}");
    ASSERT_TRUE(server.started());
    HttpGetOptions options;
    options.maxBodyBytes = 1000;
    HttpResponse r = HttpGet(server.base() + "/big", options);
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(r.complete);
    EXPECT_LE(r.body.size(), 1000u);
}

// Extra header lines go out as given, once each; the query goes out untouched.
TEST(HttpGet, ExtraHeadersReplaceTheAgent) {
    e2e::TestServer server("{\"/n\": {\"body\": \"ok\"}}");
    ASSERT_TRUE(server.started());
    HttpGetOptions options;
    options.extraHeaders = HeaderBlock({"Referer: http://vendor.example/program.htm",
                                        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0"});
    HttpResponse r = HttpGet(server.base() + "/n?id=ab+c/d", options);
    EXPECT_EQ(r.status, 200);
    auto requests = server.Requests("/n");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/n?id=ab+c/d");
    EXPECT_EQ(requests[0].Count("User-Agent"), 1);
    EXPECT_EQ(requests[0].Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0");
    EXPECT_EQ(requests[0].Header("Referer"), "http://vendor.example/program.htm");
}

// Nothing listening, or no web address: status 0 and a reason, never an exception.
TEST(HttpGet, FailuresComeBackAsStatusZero) {
    HttpGetOptions quick;
    quick.timeoutMilliseconds = 5000;
    HttpResponse r = HttpGet("http://127.0.0.1:9/", quick);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.complete);
    EXPECT_FALSE(r.error.empty());
    r = HttpGet("file:///C:/windows/win.ini");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.error.empty());
}

}  // namespace
}  // namespace net
