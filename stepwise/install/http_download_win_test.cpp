// DownloadFile against the local test server: whole files from any depth and through a
// redirect, without a length and chunked; failures (statuses, a dropped body, ftp) that leave
// nothing behind and spare an existing file; retries that continue a dropped file or start
// it over.
#include "install/http_download_win.h"

#include <gtest/gtest.h>

#include "http_test_server.h"

namespace stepwise {
namespace {

class Download : public ::testing::Test {
  protected:
    DownloadResult Fetch(const std::string& path) {
        DownloadRequest request{server->base() + path, folder.path()};
        return DownloadFile(request, resume,
                            [this](std::uint64_t received, std::optional<std::uint64_t> total) {
                                lastReceived = received;
                                lastTotal = total;
                            });
    }
    std::string Local(const std::string& name) const { return folder / name; }

    // One server for the whole suite (each path is used by one test only): starting it is
    // most of this suite's time.
    static void SetUpTestSuite() {
        server = new e2e::TestServer(
            "{\"/a/b/c/deep.bin\": {\"pattern\": 70000}, \"/get/tool.bin\": {\"redirect\": "
            "\"/store/x.bin\"}, \"/store/x.bin\": {\"pattern\": 3000}, \"/nolen.bin\": "
            "{\"pattern\": 5000, \"no_length\": true}, \"/chunk.bin\": "
            "{\"pattern\": 9000, \"chunked\": 1000}, \"/empty.bin\": {\"body\": \"\"}, "
            "\"/auth.bin\": {\"status\": 401, \"body\": \"login first\"}, \"/proxy.bin\": "
            "{\"status\": 407, \"body\": \"proxy login\"}, \"/err.bin\": {\"status\": 500, "
            "\"body\": \"oops\"}, \"/cut.bin\": {\"pattern\": 8000, \"drop_after\": 3000}, "
            "\"/r/data.bin\": [{\"pattern\": 50000, \"ranges\": true, \"drop_after\": 20000}, "
            "{\"pattern\": 50000, \"ranges\": true}], \"/plain.bin\": [{\"pattern\": 40000, "
            "\"drop_after\": 10000}, {\"pattern\": 40000}], \"/skip.bin\": {\"pattern\": 9000, "
            "\"ranges\": true, \"drop_after\": 4000}, \"/m.bin\": [{\"pattern\": 30000, "
            "\"ranges\": true, \"drop_after\": 12000}, "
            "{\"pattern\": 30000, \"ranges\": true}]}");
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    static e2e::TestServer* server;
    e2e::TempFolder folder{"stepwise-download"};
    ResumePoint resume;
    std::uint64_t lastReceived = 0;
    std::optional<std::uint64_t> lastTotal;
};

// A deep address with a query lands as its last segment, byte for byte; a redirect is
// followed and the file keeps the name of the address asked for.
e2e::TestServer* Download::server = nullptr;

TEST_F(Download, DeepAddressesAndRedirects) {
    ASSERT_TRUE(server->started());

    DownloadResult r = Fetch("/a/b/c/deep.bin?v=2");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.path, Local("deep.bin"));
    EXPECT_EQ(e2e::ReadTextFile(Local("deep.bin")), e2e::PatternBytes(70000));
    EXPECT_EQ(lastReceived, 70000u);
    EXPECT_EQ(lastTotal, 70000u);
    EXPECT_FALSE(e2e::FileExists(Local("deep.bin") + kPartSuffix));
    EXPECT_EQ(server->Requests("/a/b/c/deep.bin")[0].path, "/a/b/c/deep.bin?v=2");

    r = Fetch("/get/tool.bin");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(e2e::ReadTextFile(Local("tool.bin")), e2e::PatternBytes(3000));
    EXPECT_FALSE(e2e::FileExists(Local("x.bin")));
}

TEST_F(Download, NoLengthChunkedAndEmptyBodies) {
    ASSERT_TRUE(server->started());
    DownloadResult r = Fetch("/nolen.bin");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(e2e::ReadTextFile(Local("nolen.bin")), e2e::PatternBytes(5000));
    EXPECT_FALSE(lastTotal) << "no length announced";
    r = Fetch("/chunk.bin");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(e2e::ReadTextFile(Local("chunk.bin")), e2e::PatternBytes(9000));
    r = Fetch("/empty.bin");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(e2e::FileExists(Local("empty.bin")));
    EXPECT_EQ(e2e::ReadTextFile(Local("empty.bin")), "");
}

// Every status but 200 and 206 fails (401 and 407 included) without writing the error page,
// and an existing file of that name stays as it was.
TEST_F(Download, FailuresLeaveNothingAndSpareExistingFiles) {
    ASSERT_TRUE(server->started());
    e2e::WriteTextFile(Local("keep.bin"), "precious");
    for (const char* path : {"/keep.bin", "/auth.bin", "/proxy.bin", "/err.bin", "/cut.bin"}) {
        DownloadResult r = Fetch(path);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_FALSE(r.error.empty()) << path;
        std::string name = std::string(path).substr(1);
        if (name != "keep.bin") {
            EXPECT_FALSE(e2e::FileExists(Local(name))) << path;
        }
        EXPECT_FALSE(e2e::FileExists(Local(name) + kPartSuffix)) << path << ": nothing to resume";
    }
    EXPECT_EQ(e2e::ReadTextFile(Local("keep.bin")), "precious") << "404 spared the file";

    DownloadRequest ftp{"ftp://127.0.0.1/pub/tool.zip", folder.path()};
    DownloadResult r = DownloadFile(ftp, resume, nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("not an http"), std::string::npos) << r.error;
}

// A drop with ranges offered keeps the part; the retry asks for the rest with the validator
// and the file comes out whole. Skipping discards the part.
TEST_F(Download, RetryContinuesWhereTheServerAllows) {
    ASSERT_TRUE(server->started());
    e2e::WriteTextFile(Local("data.bin"), "older copy");

    DownloadResult r = Fetch("/r/data.bin");
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(resume.offset, 20000u);
    EXPECT_EQ(resume.validator, "\"v1\"");
    EXPECT_EQ(e2e::ReadTextFile(Local("data.bin")), "older copy") << "untouched while incomplete";
    r = Fetch("/r/data.bin");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(e2e::ReadTextFile(Local("data.bin")), e2e::PatternBytes(50000));
    EXPECT_FALSE(resume.usable());
    auto asked = server->Requests("/r/data.bin");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].Count("Range"), 0);
    EXPECT_EQ(asked[1].Header("Range"), "bytes=20000-");
    EXPECT_EQ(asked[1].Header("If-Range"), "\"v1\"");

    // Without ranges the retry starts over and still ends byte for byte.
    r = Fetch("/plain.bin");
    ASSERT_FALSE(r.ok);
    EXPECT_FALSE(resume.usable());
    r = Fetch("/plain.bin");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(e2e::ReadTextFile(Local("plain.bin")), e2e::PatternBytes(40000));
    EXPECT_EQ(server->Requests("/plain.bin")[1].Count("Range"), 0);

    DownloadRequest skip{server->base() + "/skip.bin", folder.path()};
    EXPECT_FALSE(DownloadFile(skip, resume, nullptr).ok);
    EXPECT_TRUE(e2e::FileExists(Local("skip.bin") + kPartSuffix));
    DiscardPartialDownload(skip, resume);
    EXPECT_FALSE(e2e::FileExists(Local("skip.bin") + kPartSuffix));
    EXPECT_FALSE(e2e::FileExists(Local("skip.bin")));
}

// A part file that no longer matches what the server gave (changed on disk) is not
// continued: the retry asks for the whole file.
TEST_F(Download, MismatchedPartStartsOver) {
    ASSERT_TRUE(server->started());
    ASSERT_FALSE(Fetch("/m.bin").ok);
    e2e::WriteTextFile(Local("m.bin") + kPartSuffix, "tampered");
    DownloadResult r = Fetch("/m.bin");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(e2e::ReadTextFile(Local("m.bin")), e2e::PatternBytes(30000));
    EXPECT_EQ(server->Requests("/m.bin")[1].Count("Range"), 0);
}

}  // namespace
}  // namespace stepwise
