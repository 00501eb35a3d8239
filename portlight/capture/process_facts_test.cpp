#include "capture/process_facts.h"

#include <gtest/gtest.h>

#include <map>

#include "capture/connection_table.h"

namespace portlight {
namespace {

// Process lookups that count what they are asked.
class CountingLookup : public ProcessLookup {
  public:
    std::map<uint32_t, std::string> paths;
    std::map<uint32_t, std::string> names;
    std::map<uint32_t, int> pathReads;
    std::map<uint32_t, int> nameReads;
    std::string GetProcessPath(uint32_t pid) override {
        ++pathReads[pid];
        return paths[pid];
    }
    std::string GetProcessName(uint32_t pid) override {
        ++nameReads[pid];
        return names[pid];
    }
};

class CountingDescriptions : public FileDescriptionSource {
  public:
    std::map<std::string, std::string> descriptions;
    std::map<std::string, int> reads;
    std::string FileDescription(const std::string& path) override {
        ++reads[path];
        return descriptions[path];
    }
};

struct Clock {
    std::map<uint32_t, uint64_t> created;
    std::map<uint32_t, int> asked;
    uint64_t operator()(uint32_t pid) {
        ++asked[pid];
        return created[pid];
    }
};

std::string Line(uint32_t pid, int port) {
    return "  TCP    10.0.0.2:" + std::to_string(port) + "   93.184.216.34:443   ESTABLISHED   " +
           std::to_string(pid) + "\r\n";
}

// A steady listing: every process is identified once across many snapshots, its creation
// time asked once per snapshot however many rows it owns; a new process under a reused id is
// identified again, and the old one's entry is gone.
TEST(ProcessFacts, OwnerOncePerProcessLife) {
    CountingLookup lookup;
    lookup.paths = {{700, "C:\\Apps\\Courier.exe"}};
    lookup.names = {{800, "System"}, {900, "svchost.exe"}};
    Clock clock;
    clock.created = {{700, 1111}, {800, 2222}, {900, 0}};
    ProcessFacts facts([&](uint32_t pid) { return clock(pid); });

    std::string listing;
    for (int port = 0; port < 5; ++port)
        listing += Line(700, 40000 + port) + Line(800, 41000 + port) + Line(900, 42000 + port);
    listing += Line(0, 43000);
    ConnectionTable table;
    for (int snapshot = 0; snapshot < 10; ++snapshot) {
        BuildConnectionTable(
            listing, [&](uint32_t pid) { return facts.Owner(pid, lookup); }, table);
        facts.EndSnapshot();
        ASSERT_EQ(table.ConnectionCount, 16);
        EXPECT_EQ(table.rows[0][kColCategory], kCategoryNormal);
        EXPECT_EQ(table.rows[0][kColPath], "C:\\Apps\\Courier.exe");
        EXPECT_EQ(table.rows[1][kColCategory], kCategoryProtected);
        EXPECT_EQ(table.rows[1][kColPath], "System");
        EXPECT_EQ(table.rows[15][kColCategory], kCategoryUnknown);
    }
    EXPECT_EQ(lookup.pathReads[700], 1);
    EXPECT_EQ(lookup.pathReads[800], 1);
    EXPECT_EQ(lookup.nameReads[800], 1);
    EXPECT_EQ(lookup.pathReads[900], 50) << "no creation time: identified on every row";
    EXPECT_EQ(clock.asked[700], 10) << "once per snapshot, not once per row";
    EXPECT_EQ(clock.asked[0], 0) << "owner 0 needs no process";
    EXPECT_EQ(facts.rememberedOwners(), 2u);

    // Id 700 now names a new program started after the old one ended.
    clock.created[700] = 3333;
    lookup.paths[700] = "C:\\Apps\\Newcomer.exe";
    BuildConnectionTable(
        listing, [&](uint32_t pid) { return facts.Owner(pid, lookup); }, table);
    facts.EndSnapshot();
    EXPECT_EQ(table.rows[0][kColPath], "C:\\Apps\\Newcomer.exe");
    EXPECT_EQ(lookup.pathReads[700], 2);
    EXPECT_EQ(facts.rememberedOwners(), 2u) << "the old life of 700 was swept";
}

// An entry lives while snapshots look it up: a process missing from one snapshot is
// identified again when it comes back.
TEST(ProcessFacts, DroppedAtTheFirstSnapshotWithoutIt) {
    CountingLookup lookup;
    lookup.paths = {{700, "C:\\a.exe"}, {800, "C:\\b.exe"}};
    Clock clock;
    clock.created = {{700, 1}, {800, 2}};
    ProcessFacts facts([&](uint32_t pid) { return clock(pid); });

    facts.Owner(700, lookup);
    facts.Owner(800, lookup);
    facts.EndSnapshot();
    facts.Owner(700, lookup);
    facts.EndSnapshot();
    EXPECT_EQ(facts.rememberedOwners(), 1u);
    EXPECT_EQ(facts.Owner(800, lookup).path, "C:\\b.exe");
    EXPECT_EQ(facts.Owner(700, lookup).path, "C:\\a.exe");
    EXPECT_EQ(lookup.pathReads[800], 2);
    EXPECT_EQ(lookup.pathReads[700], 1);
}

IconSlot SlotWithKey(const std::vector<IconSlot>& slots, const std::string& key) {
    for (const IconSlot& slot : slots)
        if (slot.visible && slot.hoverText == key)
            return slot;
    return {};
}

// The grouping reads each process's version text once across snapshots; two processes of
// one program each read theirs; a reused id reads it again.
TEST(ProcessFacts, DescriptionOncePerProcessLife) {
    CountingLookup lookup;
    lookup.paths = {{700, "C:\\Apps\\Courier.exe"},
                    {710, "C:\\Apps\\Courier.exe"},
                    {800, "C:\\Apps\\Plain.exe"}};
    CountingDescriptions files;
    files.descriptions = {{"C:\\Apps\\Courier.exe", "Courier Mail"}, {"C:\\Apps\\Plain.exe", ""}};
    Clock clock;
    clock.created = {{700, 11}, {710, 12}, {800, 13}};
    ProcessFacts facts([&](uint32_t pid) { return clock(pid); });

    const std::string listing = Line(700, 40000) + Line(700, 40001) + Line(710, 40002) +
                                Line(800, 40003) + Line(800, 40004);
    ConnectionTable table;
    std::vector<IconSlot> slots(8);
    auto snapshot = [&] {
        BuildConnectionTable(
            listing, [&](uint32_t pid) { return facts.Owner(pid, lookup); }, table);
        RememberingDescriptionSource descriptions(facts, files);
        int filled = GroupIntoSlots(table, {}, descriptions, slots);
        facts.EndSnapshot();
        return filled;
    };
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(snapshot(), 2);
        EXPECT_EQ(SlotWithKey(slots, "Courier Mail").count, 3);
        EXPECT_EQ(SlotWithKey(slots, "C:\\Apps\\Plain.exe").count, 2)
            << "an empty description groups by path, and is kept as well";
    }
    EXPECT_EQ(files.reads["C:\\Apps\\Courier.exe"], 2) << "once for 700, once for 710";
    EXPECT_EQ(files.reads["C:\\Apps\\Plain.exe"], 1);
    EXPECT_EQ(facts.rememberedDescriptions(), 3u);

    clock.created[800] = 99;
    files.descriptions["C:\\Apps\\Plain.exe"] = "Plain Tool 2";
    ASSERT_EQ(snapshot(), 2);
    EXPECT_EQ(SlotWithKey(slots, "Plain Tool 2").count, 2);
    EXPECT_EQ(files.reads["C:\\Apps\\Plain.exe"], 2);
}

}  // namespace
}  // namespace portlight
