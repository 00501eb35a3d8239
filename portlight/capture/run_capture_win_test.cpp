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

}  // namespace
}  // namespace portlight
