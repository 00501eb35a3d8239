#include "capture/system_table_win.h"

#include <gtest/gtest.h>

#include "common/win32/handles_win.h"
#include "sample_process.h"

namespace portlight {
namespace {

using samples::BesideThisProgram;
using samples::SampleProcess;

std::string Line(DWORD pid, int port) {
    return "  TCP    127.0.0.1:" + std::to_string(port) +
           "        127.0.0.1:443          ESTABLISHED     " + std::to_string(pid) + "\r\n";
}

// A running program keeps its creation time from snapshot to snapshot; once it has ended it
// has none, even while a handle keeps its process object (and id) alive, so the bar
// identifies its id afresh instead of showing the remembered program.
TEST(SystemTableBuilder, EndedProcessIsNotTheRememberedOne) {
    SampleProcess app(BesideThisProgram("portlight-sample-app.exe"));
    ASSERT_TRUE(app.ready()) << app.Problem();
    const uint64_t created = ProcessCreationTime(app.pid());
    EXPECT_NE(created, 0u);
    EXPECT_EQ(ProcessCreationTime(app.pid()), created);
    EXPECT_NE(ProcessCreationTime(GetCurrentProcessId()), 0u);
    EXPECT_EQ(ProcessCreationTime(0), 0u);

    ProcessFacts facts(ProcessCreationTime);
    SystemTableBuilder builder(facts);
    ConnectionTable table;
    const std::string listing = Line(app.pid(), 50001) + Line(app.pid(), 50002);
    for (int snapshot = 0; snapshot < 2; ++snapshot) {
        builder.Build(listing, table);
        facts.EndSnapshot();
        EXPECT_EQ(table.rows[0][kColCategory], kCategoryNormal);
    }
    EXPECT_EQ(facts.rememberedOwners(), 1u);

    {
        // The sample object keeps its own handle open.
        win32::KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, app.pid()));
        ASSERT_TRUE(process);
        TerminateProcess(process.get(), 1);
    }
    ASSERT_TRUE(app.WaitForExit(10000));
    EXPECT_EQ(ProcessCreationTime(app.pid()), 0u);
    builder.Build(listing, table);
    facts.EndSnapshot();
    EXPECT_EQ(table.rows[0][kColCategory], kCategoryProtected);
    EXPECT_EQ(table.rows[0][kColPath], "");
    EXPECT_EQ(facts.rememberedOwners(), 0u);
}

}  // namespace
}  // namespace portlight
