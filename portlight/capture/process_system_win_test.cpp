#include "capture/process_system_win.h"

#include <gtest/gtest.h>

#include "sample_process.h"

namespace portlight {
namespace {

using samples::BesideThisProgram;
using samples::SampleProcess;

bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// A running program is found by id, its module path read and its name taken from tool help.
TEST(Win32ProcessSystem, IdentifiesRunningPrograms) {
    SampleProcess app(BesideThisProgram("portlight-sample-app.exe"));
    SampleProcess plain(BesideThisProgram("portlight-sample-plain.exe"));
    ASSERT_TRUE(app.started() && plain.started());
    Win32ProcessSystem system;

    std::vector<uint32_t> ids = system.EnumerateProcessIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), app.pid()), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), GetCurrentProcessId()), ids.end());

    DirectProcessLookup direct(system);
    EXPECT_TRUE(SamePath(direct.GetProcessPath(app.pid()), app.path()))
        << direct.GetProcessPath(app.pid());
    EXPECT_TRUE(SamePath(direct.GetProcessPath(plain.pid()), plain.path()));
    EXPECT_EQ(direct.GetProcessName(app.pid()), "portlight-sample-app.exe");
    EXPECT_EQ(direct.GetProcessName(0), "");

    ProcessOwner owner = IdentifyOwner(plain.pid(), direct);
    EXPECT_EQ(owner.category, "Normal");
    EXPECT_TRUE(SamePath(owner.path, plain.path()));

    // The image-name fallback for processes whose modules cannot be listed.
    EXPECT_TRUE(SamePath(Win32ProcessSystem::ReadImageName(app.pid()), app.path()))
        << Win32ProcessSystem::ReadImageName(app.pid());

    SnapshotProcessLookup snapshot(system);
    EXPECT_TRUE(SamePath(snapshot.GetProcessPath(app.pid()), app.path()));
    EXPECT_EQ(snapshot.GetProcessName(plain.pid()), "portlight-sample-plain.exe");
}

// A process that has exited by the time it is looked up is "Protected" with an empty path.
TEST(Win32ProcessSystem, ExitedProcessIsProtectedWithoutPath) {
    DWORD pid = 0;
    {
        SampleProcess gone(BesideThisProgram("portlight-sample-plain.exe"), "--exit");
        ASSERT_TRUE(gone.started());
        ASSERT_TRUE(gone.WaitForExit(10000));
        pid = gone.pid();
    }
    Win32ProcessSystem system;
    DirectProcessLookup direct(system);
    EXPECT_EQ(direct.GetProcessPath(pid), "");
    EXPECT_EQ(direct.GetProcessName(pid), "");
    ProcessOwner owner = IdentifyOwner(pid, direct);
    EXPECT_EQ(owner.category, "Protected");
    EXPECT_EQ(owner.path, "");
}

}  // namespace
}  // namespace portlight
