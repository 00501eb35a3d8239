#include "capture/run_capture_win.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

std::string Fake(const std::string& name) {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return "\"" + s.substr(0, s.find_last_of('\\') + 1) + name + "\"";
}

// Standard output and standard error share one pipe, in order of arrival.
TEST(RunAndCapture, InterleavesOutputAndErrorInOrder) {
    CaptureResult r = RunAndCapture(Fake("interleave.exe"));
    EXPECT_EQ(r.failure, "");
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.output, "out 0\r\nerr 0\r\nout 1\r\nerr 1\r\nout 2\r\nerr 2\r\n");
}

// A child that prints nothing yields empty text; a long listing arrives whole, past the
// pipe's buffer and many 256-byte reads.
TEST(RunAndCapture, EmptyAndLargeOutputs) {
    EXPECT_EQ(RunAndCapture(Fake("interleave.exe") + " silent").output, "");
    CaptureResult r = RunAndCapture(Fake("interleave.exe") + " flood 3000");
    ASSERT_EQ(r.output.size(), 3000u * 25u);
    EXPECT_EQ(r.output.substr(0, 25), "line 00000 of the flood\r\n");
    EXPECT_EQ(r.output.substr(r.output.size() - 25), "line 02999 of the flood\r\n");
}

// A command that does not exist is reported with the system's error number.
TEST(RunAndCapture, MissingCommandReportsCreateProcessError) {
    CaptureResult r = RunAndCapture("no-such-command-portlight.exe -ona");
    EXPECT_EQ(r.failure, "CreateProcess failed. Error: 2");
    EXPECT_EQ(r.output, "");
}

// A child that outlives the limit is ended, keeping what it printed.
TEST(RunAndCapture, EndsAChildThatRunsTooLong) {
    DWORD start = GetTickCount();
    CaptureResult r = RunAndCapture(Fake("interleave.exe") + " hang 30000", 1500);
    DWORD took = GetTickCount() - start;
    EXPECT_TRUE(r.timedOut);
    EXPECT_EQ(r.output, "before the hang\r\n");
    EXPECT_LT(took, 10000u) << "the capture must not wait for the child's own end";
}

// A child that writes without pause is ended once its output passes the cap (and the time
// limit is watched while the pipe is never empty); what came is kept.
TEST(RunAndCapture, EndsAChildThatFloodsWithoutEnd) {
    DWORD start = GetTickCount();
    // A smaller cap than the bar's own keeps the test quick on a slow, loaded machine: a pipe
    // read 256 bytes at a time under Wine can take tens of seconds to carry 4 MB.
    constexpr size_t kCap = 256 * 1024;
    CaptureResult r = RunAndCapture(Fake("interleave.exe") + " endless", 120000, kCap);
    DWORD took = GetTickCount() - start;
    EXPECT_TRUE(r.truncated);
    EXPECT_FALSE(r.timedOut) << "stopped by the cap, not by the time limit";
    EXPECT_EQ(r.output.size(), kCap);
    EXPECT_EQ(r.output.substr(0, 40), "line 0000000000 of a flood without end\r\n");
    EXPECT_LT(took, 110000u);

    // With a small time limit and no room to reach the cap, the limit ends it.
    start = GetTickCount();
    r = RunAndCapture(Fake("interleave.exe") + " endless", 1000, SIZE_MAX);
    took = GetTickCount() - start;
    EXPECT_TRUE(r.timedOut);
    EXPECT_LT(took, 8000u);
}

// A program in the current directory is not run; the program's own folder and the system
// folders are searched.
TEST(RunAndCapture, LooksNowhereInTheCurrentDirectory) {
    char tempPath[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tempPath);
    std::string folder =
        std::string(tempPath) + "portlight-cwd-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string probe = folder + "\\portlight-cwd-probe.exe";
    std::string interleave = Fake("interleave.exe");
    ASSERT_TRUE(
        CopyFileA(interleave.substr(1, interleave.size() - 2).c_str(), probe.c_str(), FALSE));
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    CaptureResult fromCurrent = RunAndCapture("portlight-cwd-probe silent");
    CaptureResult besideUs = RunAndCapture("interleave flood 1");
    CaptureResult fromSystem = RunAndCapture("cmd /c echo system");

    SetCurrentDirectoryA(previous);
    DeleteFileA(probe.c_str());
    RemoveDirectoryA(folder.c_str());
    EXPECT_EQ(fromCurrent.failure, "CreateProcess failed. Error: 2");
    EXPECT_EQ(besideUs.failure, "");
    EXPECT_EQ(besideUs.output, "line 00000 of the flood\r\n");
    EXPECT_EQ(fromSystem.failure, "");
    EXPECT_EQ(fromSystem.output, "system\r\n");
}

}  // namespace
}  // namespace portlight
