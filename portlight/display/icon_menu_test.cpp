#include "display/icon_menu.h"

#include <gtest/gtest.h>

#include "display/icon_slots.h"

namespace portlight {
namespace {

void SetRow(ConnectionTable& table,
            int r,
            const char* protocol,
            const char* category,
            const std::string& pid,
            const std::string& localPort) {
    table.rows[r] = {protocol, "10.0.0.1", localPort, "8.8.8.8", "53", "", category, "p", pid};
}

IconSlot SlotOf(const ConnectionTable& table,
                std::initializer_list<int> rows,
                std::string hover = "Fire Browser") {
    IconSlot slot;
    slot.hoverText = std::move(hover);
    for (int r : rows) {
        slot.rowList += ThreeDigitRow(r);
        ++slot.count;
    }
    slot.visible = true;
    (void)table;
    return slot;
}

// More than 10 connections: 10 connection entries, processes still cover every row.
TEST(BuildIconMenu, ManyConnectionsAndProcesses) {
    ConnectionTable table;
    for (int r = 0; r < 12; ++r)
        SetRow(table, r, "TCP", "Normal", std::to_string(r < 10 ? 100 : 100 + r),
               std::to_string(r));
    IconSlot slot = SlotOf(table, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    std::optional<IconMenu> menu = BuildIconMenu(3, slot, table, false);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->mnuNetstatConnection.caption, "Fire Browser");
    EXPECT_EQ(menu->mnuNetstatInfo.tag, "3");
    EXPECT_EQ(menu->mnuNetstatTermConnAll.tag, "12");
    EXPECT_EQ(menu->mnuNetstatTermProcessAll.tag, "12");
    for (int k = 0; k < kMenuListEntries; ++k) {
        EXPECT_TRUE(menu->mnuNetstatTermConnections[k].visible);
        EXPECT_EQ(menu->mnuNetstatTermConnections[k].tag, std::to_string(k));
    }
    EXPECT_EQ(menu->mnuNetstatTermConnections[9].caption, "R:(8.8.8.8 : 53) L:(10.0.0.1 : 9)");
    // Rows 10 and 11 belong to processes 110 and 111.
    EXPECT_EQ(menu->mnuNetstatTermProcess[0].caption, "100");
    EXPECT_EQ(menu->mnuNetstatTermProcess[1].caption, "110");
    EXPECT_EQ(menu->mnuNetstatTermProcess[2].caption, "111");
    EXPECT_FALSE(menu->mnuNetstatTermProcess[3].visible);
    EXPECT_EQ(menu->mnuNetstatTermProcesses.tag, "100");  // the 10th connection examined
    EXPECT_TRUE(menu->mnuNetstatTermProcesses.enabled);
}

// UDP entries are shown disabled; System/Protected processes too.
TEST(BuildIconMenu, DisablesUdpAndProtectedEntries) {
    ConnectionTable table;
    SetRow(table, 0, "UDP", "Normal", "50", "1");
    SetRow(table, 1, "TCP", "Protected", "4", "2");
    SetRow(table, 2, "TCP", "System", "8", "3");
    std::optional<IconMenu> menu = BuildIconMenu(0, SlotOf(table, {0, 1, 2}), table, false);
    ASSERT_TRUE(menu);
    EXPECT_FALSE(menu->mnuNetstatTermConnections[0].enabled);
    EXPECT_TRUE(menu->mnuNetstatTermConnections[1].enabled);
    EXPECT_TRUE(menu->mnuNetstatTermProcess[0].enabled);
    EXPECT_FALSE(menu->mnuNetstatTermProcess[1].enabled);
    EXPECT_FALSE(menu->mnuNetstatTermProcess[2].enabled);
    EXPECT_TRUE(menu->mnuNetstatTermProcess[2].visible);
    EXPECT_FALSE(menu->mnuNetstatTermProcesses.enabled) << "last row is System";

    // An unknown-owner slot never offers to end a process and carries no PID tag.
    SetRow(table, 3, "TCP", "UnKnown", "0", "4");
    menu = BuildIconMenu(1, SlotOf(table, {3}, "UnKnown File - PID=0"), table, false);
    ASSERT_TRUE(menu);
    EXPECT_FALSE(menu->mnuNetstatTermProcesses.enabled);
    EXPECT_EQ(menu->mnuNetstatTermProcesses.tag, "");

    // IPv6 TCP connections cannot be ended through the IPv4 table: disabled like UDP.
    table.rows[4] = {"TCP", "[::1]", "445", "[::]", "0", "LISTENING", "Normal", "p", "50"};
    table.rows[5] = {"TCP", "[fe80::1%7]", "80", "[fe80::2%7]", "5000", "", "Normal", "p", "50"};
    menu = BuildIconMenu(2, SlotOf(table, {4, 5, 1}), table, false);
    ASSERT_TRUE(menu);
    EXPECT_FALSE(menu->mnuNetstatTermConnections[0].enabled);
    EXPECT_FALSE(menu->mnuNetstatTermConnections[1].enabled);
    EXPECT_TRUE(menu->mnuNetstatTermConnections[2].enabled);
    EXPECT_TRUE(menu->mnuNetstatTermProcess[0].enabled) << "the process can still be ended";
}

// Nothing opens during a snapshot or on an empty slot.
TEST(BuildIconMenu, RefusesBusyOrEmptySlots) {
    ConnectionTable table;
    SetRow(table, 0, "TCP", "Normal", "50", "1");
    EXPECT_FALSE(BuildIconMenu(0, SlotOf(table, {0}), table, true));
    EXPECT_FALSE(BuildIconMenu(0, IconSlot(), table, false));
}

TEST(IconSlotGeometry, SlotsThatFit) {
    EXPECT_EQ(IconSlotCountFor(6015), 13);
    EXPECT_EQ(IconSlotCountFor(444), 0);
    EXPECT_EQ(IconSlotCountFor(445), 1);
    EXPECT_EQ(IconSlotCountFor(-100), 0);
    EXPECT_EQ(SlotLeftTwips(2), 890);
}

}  // namespace
}  // namespace portlight
