#include "display/details_rules.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// Terminate is offered only for the "Process ID" line of a normal program; its target is
// the value part of the line.
TEST(DetailsSelection, ProcessIdLinesByCategory) {
    SelectionOutcome normal = SelectLine("Process ID   : 1234 >> [Normal]");
    EXPECT_TRUE(normal.terminateEnabled);
    EXPECT_EQ(normal.terminationTarget, "1234 >> [Normal]");
    EXPECT_TRUE(SelectLine("Process ID       : 88 >> [UnKnown]").terminateEnabled);

    for (const char* line : {"Process ID   : 4 >> [System]", "Process ID       : 8 >> [Protected]",
                             "Remote Addr  : 93.184.216.34", "", "process id : 5 >> [Normal]"}) {
        SCOPED_TRACE(line);
        SelectionOutcome outcome = SelectLine(line);
        EXPECT_FALSE(outcome.terminateEnabled);
        EXPECT_EQ(outcome.terminationTarget, "");
    }
}

// Copy takes the text after the first colon, trimmed; nothing selected copies empty text.
TEST(DetailsCopy, ValueOfSelectedLine) {
    const std::string remote = "Remote Addr  : 93.184.216.34";
    EXPECT_EQ(CopyText(&remote), "93.184.216.34");
    const std::string listLine =
        "TCP    10.0.0.2:50000    93.184.216.34:443    ESTABLISHED    884             C:\\a.exe";
    EXPECT_EQ(CopyText(&listLine),
              "50000    93.184.216.34:443    ESTABLISHED    884             C:\\a.exe");
    const std::string hostLine = "Local Host   : ";
    EXPECT_EQ(CopyText(&hostLine), "");
    EXPECT_EQ(CopyText(nullptr), "");
}

// The refresh command finds the reported program by its hover text among slots 0..100 and
// stops at the first empty slot.
TEST(DetailsRefresh, SlotOfMarker) {
    std::vector<IconSlot> slots(120);
    slots[0].hoverText = "Sample Courier - PID=10";
    slots[1].hoverText = "Sample Courier - PID=11";
    EXPECT_EQ(SlotOfMarker(slots, "Sample Courier - PID=11"), 1);
    EXPECT_EQ(SlotOfMarker(slots, "sample courier - PID=11"), -1);
    EXPECT_EQ(SlotOfMarker(slots, "Gone - PID=3"), -1);
    slots[3].hoverText = "Behind a gap";
    EXPECT_EQ(SlotOfMarker(slots, "Behind a gap"), -1);
    for (int i = 0; i < 120; ++i)
        slots[i].hoverText = "slot " + std::to_string(i);
    EXPECT_EQ(SlotOfMarker(slots, "slot 100"), 100);
    EXPECT_EQ(SlotOfMarker(slots, "slot 101"), -1);
    EXPECT_EQ(SlotOfMarker({}, "x"), -1);
}

// The timer refills an emptied window only while it is active; a filled one just enables
// Copy.
TEST(DetailsTimer, RefillsOnlyAnEmptyActiveWindow) {
    TimerAction idle = TimerTickAction(false, true);
    EXPECT_FALSE(idle.refresh || idle.enableCopy || idle.disableCopy || idle.disableTerminate);
    TimerAction empty = TimerTickAction(true, true);
    EXPECT_TRUE(empty.refresh && empty.disableTerminate && empty.disableCopy);
    EXPECT_FALSE(empty.enableCopy);
    TimerAction filled = TimerTickAction(true, false);
    EXPECT_TRUE(filled.enableCopy);
    EXPECT_FALSE(filled.refresh || filled.disableCopy);
}

// A report asked for during a snapshot waits (ReportPending) and runs on the next request
// after the snapshot.
TEST(DetailsRefresh, ReportPendingDuringSnapshot) {
    ReportRequest request;
    request.ReportedSlot = 4;
    EXPECT_FALSE(request.Refresh(true));
    EXPECT_TRUE(request.ReportPending);
    EXPECT_TRUE(request.Refresh(false));
    EXPECT_FALSE(request.ReportPending);
    EXPECT_EQ(request.ReportedSlot, 4);
}

}  // namespace
}  // namespace portlight
