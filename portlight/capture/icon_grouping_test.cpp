#include "capture/icon_grouping.h"

#include <gtest/gtest.h>

#include <map>

namespace portlight {
namespace {

class FakeDescriptions : public FileDescriptionSource {
  public:
    std::map<std::string, std::string> byPath;
    int calls = 0;
    std::string FileDescription(const std::string& path) override {
        ++calls;
        auto it = byPath.find(path);
        return it == byPath.end() ? std::string() : it->second;
    }
};

void SetRow(ConnectionTable& table,
            int r,
            const char* category,
            const char* path,
            const char* pid) {
    table.rows[r] = {"TCP", "1.1.1.1", "1", "2.2.2.2", "2", "ESTABLISHED", category, path, pid};
    table.ConnectionCount = std::max(table.ConnectionCount, r + 1);
}

struct Fixture {
    ConnectionTable table;
    FakeDescriptions descriptions;
    std::vector<IconSlot> slots = std::vector<IconSlot>(14);

    Fixture() {
        descriptions.byPath["C:\\fire.exe"] = "  Fire Browser ";
        descriptions.byPath["C:\\fire2.exe"] = "Fire Browser";
        SetRow(table, 0, "Normal", "C:\\fire.exe", "100");
        SetRow(table, 1, "Normal", "C:\\plain.exe", "200");
        SetRow(table, 3, "Normal", "C:\\fire2.exe", "101");
        SetRow(table, 17, "Normal", "C:\\fire.exe", "100");
        SetRow(table, 18, "System", "System Process", "8");
        SetRow(table, 19, "Protected", "lsass.exe", "600");
    }
    int Group(bool segment, UnknownFilter unknown = UnknownFilter::kHideAll) {
        return GroupIntoSlots(table, {segment, unknown}, descriptions, slots);
    }
};

// One slot per description with SegmentPID off: the first row's path and picture win.
TEST(GroupIntoSlots, GroupsByDescription) {
    Fixture f;
    ASSERT_EQ(f.Group(false), 4);
    EXPECT_EQ(f.slots[0].hoverText, "Fire Browser");
    EXPECT_EQ(f.slots[0].path, "C:\\fire.exe");
    EXPECT_EQ(f.slots[0].count, 3);
    EXPECT_EQ(f.slots[0].rowList, "000003017");
    EXPECT_EQ(f.slots[0].picture, SlotPicture::kProcessIcon);
    EXPECT_TRUE(f.slots[0].visible);
    EXPECT_EQ(f.slots[1].hoverText, "C:\\plain.exe");  // no description: the path
    EXPECT_EQ(f.slots[2].hoverText, "System Process");
    EXPECT_EQ(f.slots[2].picture, SlotPicture::kSystem);
    EXPECT_EQ(f.slots[3].picture, SlotPicture::kProtected);
    EXPECT_FALSE(f.slots[4].visible);
    EXPECT_EQ(f.slots[4].count, 0);
}

// With SegmentPID on, each process id gets its own slot and key suffix.
TEST(GroupIntoSlots, SegmentsByPid) {
    Fixture f;
    ASSERT_EQ(f.Group(true), 5);
    EXPECT_EQ(f.slots[0].hoverText, "Fire Browser - PID=100");
    EXPECT_EQ(f.slots[0].rowList, "000017");
    EXPECT_EQ(f.slots[2].hoverText, "Fire Browser - PID=101");
    EXPECT_EQ(f.slots[3].hoverText, "System Process - PID=8");
}

// Rows without a usable executable, under each "Unknown Files" choice.
TEST(GroupIntoSlots, UnknownFilterChoices) {
    auto keys = [](bool segment, UnknownFilter filter) {
        Fixture f;
        f.table.rows.fill({});
        f.table.ConnectionCount = 0;
        SetRow(f.table, 0, "UnKnown", "UnKnown File - PID=0", "0");
        SetRow(f.table, 1, "Protected", "", "300");  // exited: empty path
        SetRow(f.table, 2, "Protected", "", "301");
        SetRow(f.table, 3, "UnKnown", "UnKnown File - PID=0", "0");
        f.Group(segment, filter);
        std::string all;
        for (const IconSlot& s : f.slots)
            if (s.visible)
                all += s.hoverText + "/" + std::to_string(s.count) + "/" +
                       (s.picture == SlotPicture::kUnknown ? "u" : "?") + ";";
        EXPECT_EQ(f.descriptions.calls, 0) << "unknown owners need no version reader";
        return all;
    };
    EXPECT_EQ(keys(false, UnknownFilter::kHideAll), "");
    EXPECT_EQ(keys(false, UnknownFilter::kShowAll), "UnKnown File - PID=0/2/u;UnKnown File/2/u;");
    EXPECT_EQ(keys(false, UnknownFilter::kHideNoPid), "UnKnown File/2/u;");
    EXPECT_EQ(keys(true, UnknownFilter::kHideNoPid),
              "UnKnown File - PID=300/1/u;UnKnown File - PID=301/1/u;");
    EXPECT_EQ(keys(true, UnknownFilter::kHideKnownPid), "UnKnown File - PID=0/2/u;");

    EXPECT_EQ(ParseUnknownFilter("All"), UnknownFilter::kHideAll);
    EXPECT_EQ(ParseUnknownFilter("ShowAll"), UnknownFilter::kShowAll);
    EXPECT_EQ(ParseUnknownFilter("NoPID"), UnknownFilter::kHideNoPid);
    EXPECT_EQ(ParseUnknownFilter("KnownPID"), UnknownFilter::kHideKnownPid);
    EXPECT_EQ(ParseUnknownFilter("nopid"), UnknownFilter::kShowAll);
}

// Once every slot is taken, later rows are dropped even for existing slots.
TEST(GroupIntoSlots, StripFullStopsGrowth) {
    Fixture f;
    f.slots.resize(2);
    ASSERT_EQ(f.Group(false), 2);
    // Rows 3 and 17 share slot 0's description but come after the strip filled up.
    EXPECT_EQ(f.slots[0].count, 1);
    EXPECT_EQ(f.slots[0].rowList, "000");

    // A single-slot strip, and rows in the last table row.
    ConnectionTable table;
    SetRow(table, 500, "Normal", "C:\\x.exe", "5");
    std::vector<IconSlot> one(1);
    FakeDescriptions none;
    EXPECT_EQ(GroupIntoSlots(table, {}, none, one), 1);
    EXPECT_EQ(one[0].rowList, "500");
}

TEST(RowsOfRowList, ReadsThreeDigitGroups) {
    EXPECT_EQ(RowsOfRowList("000003017"), (std::vector<int>{0, 3, 17}));
    EXPECT_EQ(RowsOfRowList(""), std::vector<int>{});
    EXPECT_EQ(RowsOfRowList("0a1999500"), (std::vector<int>{500}));
    EXPECT_EQ(ThreeDigitRow(7), "007");
}

}  // namespace
}  // namespace portlight
