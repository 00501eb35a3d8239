#include "install/download_plan.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

// Ordinary addresses of any depth, with ports and queries, land as their last segment.
TEST(DownloadPlan, AddressesOfAnyShapeNameTheirFile) {
    std::string why;
    auto t = PlanDownload("http://dl.example.com:8080/a/b/c/setup.exe?x=1&y=2",
                          "C:\\Program Files\\Acme", why);
    ASSERT_TRUE(t) << why;
    EXPECT_EQ(t->url.host, "dl.example.com");
    EXPECT_EQ(t->url.port, 8080);
    EXPECT_EQ(t->url.path, "/a/b/c/setup.exe?x=1&y=2");
    EXPECT_EQ(t->path, "C:\\Program Files\\Acme\\setup.exe");
    EXPECT_EQ(t->partPath, "C:\\Program Files\\Acme\\setup.exe.stepwise.part");

    t = PlanDownload("https://secure.example/readme.txt", "C:\\Acme\\", why);
    ASSERT_TRUE(t) << why;
    EXPECT_TRUE(t->url.secure());
    EXPECT_EQ(t->url.port, 443);
    EXPECT_EQ(t->path, "C:\\Acme\\readme.txt") << "one backslash after the folder";

    t = PlanDownload("http://server/file.zip", "C:\\Acme", why);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->url.port, 80);
    EXPECT_EQ(t->url.path, "/file.zip");
}

// ftp and other schemes, and addresses naming no usable file, fail with a reason.
TEST(DownloadPlan, RefusesWhatCannotBeFetchedOrNamed) {
    for (const char* bad :
         {"ftp://files.example/pub/tool.zip", "ftp.example.com/tool.zip", "httpfoo", "http://",
          "http://host/", "http://host", "http://host/dir/", "http://host/a/..", "http://host/a:b",
          "http://host/we|rd", "http://host/?name=x.zip", "gopher://host/x"}) {
        std::string why;
        EXPECT_FALSE(PlanDownload(bad, "C:\\A", why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

TEST(DownloadPlan, ValidatorOnlyWhenRangesAreAccepted) {
    EXPECT_EQ(RangeValidator("HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: \"v1\"\r\n"
                             "Last-Modified: Wed, 09 Dec 2026 10:00:00 GMT\r\n"),
              "\"v1\"");
    EXPECT_EQ(RangeValidator("HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: W/\"v1\"\r\n"
                             "Last-Modified: Wed, 09 Dec 2026 10:00:00 GMT\r\n"),
              "Wed, 09 Dec 2026 10:00:00 GMT")
        << "a weak ETag cannot guard a range";
    EXPECT_EQ(RangeValidator("HTTP/1.1 200 OK\r\nETag: \"v1\"\r\n"), "") << "no Accept-Ranges";
    EXPECT_EQ(RangeValidator("HTTP/1.1 200 OK\r\nAccept-Ranges: none\r\nETag: \"v1\"\r\n"), "");
    EXPECT_EQ(RangeValidator("HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\n"), "")
        << "nothing to check the rest against";
    EXPECT_EQ(ResumeRequestHeaders({4096, "\"v1\""}), "Range: bytes=4096-\r\nIf-Range: \"v1\"");
}

TEST(DownloadPlan, AnswersToARangeRequest) {
    const std::string partial = "HTTP/1.1 206 Partial\r\nContent-Range: bytes 400-999/1000\r\n";
    EXPECT_EQ(ClassifyAnswer(206, partial, 400), RangeAnswer::Append);
    EXPECT_EQ(ContentRangeTotal(partial), 1000u);
    EXPECT_EQ(ClassifyAnswer(206, partial, 300), RangeAnswer::Fail) << "not where the file ends";
    EXPECT_EQ(ClassifyAnswer(206, partial, 0), RangeAnswer::Fail) << "no range was asked";
    EXPECT_EQ(ClassifyAnswer(200, "HTTP/1.1 200 OK\r\n", 400), RangeAnswer::Whole);
    EXPECT_EQ(ClassifyAnswer(200, "HTTP/1.1 200 OK\r\n", 0), RangeAnswer::Whole);
    for (int status : {0, 204, 301, 401, 403, 404, 407, 416, 500})
        EXPECT_EQ(ClassifyAnswer(status, partial, 400), RangeAnswer::Fail) << status;
    for (const char* bad : {"Content-Range: bytes 400-999/*", "Content-Range: bytes 400-999/999",
                            "Content-Range: bytes 500-400/1000", "Content-Range: items 4-9/10",
                            "Content-Range: bytes x-9/10"})
        EXPECT_FALSE(ContentRangeTotal(std::string("HTTP/1.1 206 P\r\n") + bad + "\r\n")) << bad;
    EXPECT_EQ(ClassifyAnswer(206, "HTTP/1.1 206 P\r\nContent-Range: bytes 400-999/*\r\n", 400),
              RangeAnswer::Append)
        << "an unknown total still continues the file";
}

}  // namespace
}  // namespace stepwise
