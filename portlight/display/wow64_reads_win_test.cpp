// Version resources and icons of process paths are read with WOW64's file-system
// redirection off. Wine's 32-bit prefix has no redirection, so the test stands in for the
// two calls: the "real" 64-bit file exists only between a disable and its revert, as the
// System32 file of a 64-bit program is visible to the 32-bit bar only then.
#include <gtest/gtest.h>

#include "capture/wow64_redirection_win.h"
#include "display/process_icon_win.h"
#include "display/version_info_win.h"
#include "sample_process.h"

namespace portlight {
namespace {

struct RedirectedFile {
    static std::string source;
    static std::string path;
    static int disables;
    static int reverts;

    static BOOL WINAPI Disable(PVOID* old) {
        *old = reinterpret_cast<PVOID>(0x64);
        ++disables;
        return CopyFileA(source.c_str(), path.c_str(), FALSE);
    }
    static BOOL WINAPI Revert(PVOID old) {
        ++reverts;
        return old == reinterpret_cast<PVOID>(0x64) && DeleteFileA(path.c_str());
    }
};
std::string RedirectedFile::source;
std::string RedirectedFile::path;
int RedirectedFile::disables = 0;
int RedirectedFile::reverts = 0;

class Wow64Reads : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        RedirectedFile::source = samples::BesideThisProgram("portlight-sample-app.exe");
        RedirectedFile::path =
            std::string(temp) + "portlight-64-" + std::to_string(GetCurrentProcessId()) + ".exe";
        DeleteFileA(RedirectedFile::path.c_str());
        RedirectedFile::disables = RedirectedFile::reverts = 0;
        OverrideWow64RedirectionApi(&api_);
    }
    void TearDown() override {
        OverrideWow64RedirectionApi(nullptr);
        DeleteFileA(RedirectedFile::path.c_str());
    }
    Wow64RedirectionApi api_{&RedirectedFile::Disable, &RedirectedFile::Revert};
};

// The description and the icon come from the file seen without redirection, and every
// disable is reverted.
TEST_F(Wow64Reads, VersionAndIconReadWithoutRedirection) {
    VersionInfo info;
    info.SetFileName(RedirectedFile::path);
    EXPECT_EQ(info.FileDescription(), "Sample Courier");

    IconCanvas large(32, 32, RGB(1, 2, 3));
    IconCanvas small(16, 16, RGB(1, 2, 3));
    IconCanvas picDefault(32, 32, RGB(200, 0, 200));
    EXPECT_TRUE(LoadProcessIcon(RedirectedFile::path, large, small, picDefault));

    EXPECT_GE(RedirectedFile::disables, 2);
    EXPECT_EQ(RedirectedFile::reverts, RedirectedFile::disables);
    EXPECT_EQ(GetFileAttributesA(RedirectedFile::path.c_str()), INVALID_FILE_ATTRIBUTES)
        << "read outside the disabled scope";

    // A module of the bar's own process is read as the process sees it, redirected.
    RedirectedFile::disables = 0;
    info.SetModuleName("kernel32.dll");
    EXPECT_EQ(RedirectedFile::disables, 0);
}

}  // namespace
}  // namespace portlight
