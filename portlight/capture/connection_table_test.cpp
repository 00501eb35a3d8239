#include "capture/connection_table.h"

#include <gtest/gtest.h>

#include <map>

namespace portlight {
namespace {

// A process table in maps; counts the system calls the lookups make.
class FakeSystem : public ProcessSystem {
  public:
    std::map<uint32_t, std::string> paths;  // running processes whose module can be read
    std::map<uint32_t, std::string> names;  // raw tool-help names (running processes)
    int enumerations = 0;
    int moduleReads = 0;
    int nameSnapshots = 0;

    std::vector<uint32_t> EnumerateProcessIds() override {
        ++enumerations;
        std::vector<uint32_t> ids;
        for (const auto& entry : paths)
            ids.push_back(entry.first);
        for (const auto& entry : names)
            ids.push_back(entry.first);
        return ids;
    }
    std::string ReadMainModulePath(uint32_t pid) override {
        ++moduleReads;
        auto it = paths.find(pid);
        return it == paths.end() ? std::string() : it->second;
    }
    std::vector<std::pair<uint32_t, std::string>> SnapshotProcessNames() override {
        ++nameSnapshots;
        return {names.begin(), names.end()};
    }
};

ConnectionRow Row(std::initializer_list<const char*> cells) {
    ConnectionRow row;
    size_t i = 0;
    for (const char* cell : cells)
        row[i++] = cell;
    return row;
}

// Lines as netstat prints them fill the cells column by column, owner looked up.
TEST(BuildConnectionTable, FillsCellsFromNetstatLines) {
    FakeSystem system;
    system.paths[884] = "C:\\Windows\\system32\\svchost.exe";
    system.names[4] = "System";
    system.names[8] = "[System Process]";
    DirectProcessLookup lookup(system);
    ConnectionTable table;
    BuildConnectionTable(
        "  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING       884\r\n"
        "  UDP    0.0.0.0:445            *:*                                    4\r\n"
        "  TCP    10.0.0.2:50000         93.184.216.34:443      ESTABLISHED     0\r\n"
        "  TCP    0.0.0.0:1              0.0.0.0:0              LISTENING       8\r\n",
        lookup, table);
    ASSERT_EQ(table.ConnectionCount, 4);
    EXPECT_EQ(table.rows[0], Row({"TCP", "0.0.0.0", "135", "0.0.0.0", "0", "LISTENING", "Normal",
                                  "C:\\Windows\\system32\\svchost.exe", "884"}));
    // The name "System" lacks "process": Protected with the name as path.
    EXPECT_EQ(table.rows[1],
              Row({"UDP", "0.0.0.0", "445", "*", "*", "", "Protected", "System", "4"}));
    EXPECT_EQ(table.rows[2], Row({"TCP", "10.0.0.2", "50000", "93.184.216.34", "443", "ESTABLISHED",
                                  "UnKnown", "UnKnown File - PID=0", "0"}));
    EXPECT_EQ(table.rows[3][kColCategory], "System");
    EXPECT_EQ(table.rows[3][kColPath], "System Process");
    EXPECT_TRUE(table.rows[4][kColProtocol].empty());
    // Owner 0 needs no lookup; 884 needs only its path; each direct lookup asks afresh.
    EXPECT_EQ(system.enumerations, 3);
    EXPECT_EQ(system.moduleReads, 3);
    EXPECT_EQ(system.nameSnapshots, 2);
}

// IPv6 columns keep their bracketed address; localized states with spaces keep the id.
TEST(BuildConnectionTable, HandlesIpv6AndStatesWithSpaces) {
    FakeSystem system;
    system.paths[1040] = "C:\\a.exe";
    system.paths[3312] = "C:\\b.exe";
    DirectProcessLookup lookup(system);
    ConnectionTable table;
    BuildConnectionTable(
        "  TCP    [::]:135               [::]:0                 LISTENING       1040\r\n"
        "  UDP    [fe80::1%7]:1900       *:*                                    3312\r\n"
        "  TCP    0.0.0.0:135            0.0.0.0:0              IN ASCOLTO      1040\r\n"
        "  TCP    [::1]:80               [::1]:50123            ESTABLISHED     1040\r\n",
        lookup, table);
    ASSERT_EQ(table.ConnectionCount, 4);
    EXPECT_EQ(table.rows[0],
              Row({"TCP", "[::]", "135", "[::]", "0", "LISTENING", "Normal", "C:\\a.exe", "1040"}));
    EXPECT_EQ(table.rows[1],
              Row({"UDP", "[fe80::1%7]", "1900", "*", "*", "", "Normal", "C:\\b.exe", "3312"}));
    EXPECT_EQ(table.rows[2][kColState], "IN ASCOLTO");
    EXPECT_EQ(table.rows[2][kColPid], "1040");
    EXPECT_EQ(table.rows[3][kColRemoteAddress], "[::1]");
    EXPECT_EQ(table.rows[3][kColRemotePort], "50123");
}

// Listings past the table's 501 rows, blank lines, a last line without line break, and
// lines without an owner column.
TEST(BuildConnectionTable, EdgesOfTheListing) {
    FakeSystem system;
    DirectProcessLookup lookup(system);
    ConnectionTable table;
    std::string listing;
    for (int i = 0; i < 600; ++i)
        listing += "  TCP 1.1.1.1:" + std::to_string(i) + " 2.2.2.2:80 ESTABLISHED 0\r\n";
    BuildConnectionTable(listing, lookup, table);
    EXPECT_EQ(table.ConnectionCount, kConnectionRows);
    EXPECT_EQ(table.rows[500][kColLocalPort], "500");

    BuildConnectionTable("", lookup, table);
    EXPECT_EQ(table.ConnectionCount, 0);
    EXPECT_TRUE(table.rows[0][kColProtocol].empty());

    BuildConnectionTable(
        "\r\n  TCP 1.1.1.1:1 2.2.2.2:2 SYN_SENT 0\r\n   \r\n"
        "  TCP 1.1.1.1:3 2.2.2.2:4 LISTENING\r\n  UDP 1.1.1.1:5 *:*",
        lookup, table);
    ASSERT_EQ(table.ConnectionCount, 3);
    EXPECT_EQ(table.rows[0][kColLocalPort], "1");
    // netstat without -o: the state stays the state and the owner reads as 0.
    EXPECT_EQ(table.rows[1][kColState], "LISTENING");
    EXPECT_EQ(table.rows[1][kColPid], "0");
    EXPECT_EQ(table.rows[2][kColRemoteAddress], "*");
    EXPECT_EQ(table.rows[2][kColPid], "0");
    EXPECT_EQ(table.rows[2][kColPath], "UnKnown File - PID=0");
}

TEST(SplitAddress, SplitsAtFirstColonOrAfterBracket) {
    EXPECT_EQ(SplitAddress("0.0.0.0:135").address, "0.0.0.0");
    EXPECT_EQ(SplitAddress("0.0.0.0:135").port, "135");
    EXPECT_EQ(SplitAddress("*:*").port, "*");
    EXPECT_EQ(SplitAddress("noport").address, "");
    EXPECT_EQ(SplitAddress("noport").port, "noport");
    EXPECT_EQ(SplitAddress("[::1]:8080").address, "[::1]");
    EXPECT_EQ(SplitAddress("[::1]:8080").port, "8080");
    // A bracket that never closes falls back to the first colon.
    EXPECT_EQ(SplitAddress("[::1").address, "[");
}

TEST(ReadPid, ReadsLeadingDigits) {
    EXPECT_EQ(ReadPid("884"), 884u);
    EXPECT_EQ(ReadPid("12abc"), 12u);
    EXPECT_EQ(ReadPid(""), 0u);
    EXPECT_EQ(ReadPid("LISTENING"), 0u);
    EXPECT_EQ(ReadPid("99999999999"), 0u);
}

TEST(CountTexts, LabelAndTrayToolTip) {
    EXPECT_EQ(CountLabelText(0), "0");
    EXPECT_EQ(TrayToolTipText(12, "TCP Active "),
              "Portlight\r\n   Monitoring 12 TCP Active Ports.");
    EXPECT_EQ(TrayToolTipText(3, ""), "Portlight\r\n   Monitoring 3 Ports.");
}

// The snapshot lookup takes the process list and the names once and reads each module
// once, with the same answers as the direct lookup.
TEST(SnapshotProcessLookup, AsksOncePerSnapshot) {
    FakeSystem system;
    system.names[7] = "x.exe";
    system.names[9] = "dup.exe";
    system.paths[11] = " C:\\y.exe ";
    const char* listing =
        "TCP a:1 b:2 X 7\r\nTCP a:1 b:2 X 7\r\nUDP a:1 *:* 7\r\nTCP a:1 b:2 X 9\r\n"
        "TCP a:1 b:2 X 11\r\nTCP a:1 b:2 X 12\r\nTCP a:1 b:2 X 11\r\n";
    ConnectionTable direct;
    DirectProcessLookup directLookup(system);
    BuildConnectionTable(listing, directLookup, direct);

    system.enumerations = system.moduleReads = system.nameSnapshots = 0;
    SnapshotProcessLookup memo(system);
    ConnectionTable table;
    BuildConnectionTable(listing, memo, table);
    EXPECT_EQ(table.rows, direct.rows);
    EXPECT_EQ(table.ConnectionCount, 7);
    EXPECT_EQ(table.rows[2][kColPath], "x.exe");
    EXPECT_EQ(table.rows[2][kColCategory], "Protected");
    EXPECT_EQ(table.rows[4][kColPath], "C:\\y.exe");
    EXPECT_EQ(table.rows[5][kColPath], "") << "12 is not running";
    EXPECT_EQ(table.rows[5][kColCategory], "Protected");
    EXPECT_EQ(system.enumerations, 1);
    EXPECT_EQ(system.moduleReads, 3) << "7, 9 and 11; 12 is not in the list";
    EXPECT_EQ(system.nameSnapshots, 1);
}

TEST(NormaliseProcessName, ExeAndSystemProcessRules) {
    EXPECT_EQ(NormaliseProcessName("  notepad.exe  "), "notepad.exe");
    EXPECT_EQ(NormaliseProcessName("APP.EXE extra"), "APP.EXE");
    EXPECT_EQ(NormaliseProcessName("Registry"), "Registry");
    EXPECT_EQ(NormaliseProcessName("System"), "System");
    EXPECT_EQ(NormaliseProcessName("[System Process]"), "System Process");
    EXPECT_EQ(std::string(NormaliseProcessName(std::string("a.exe\0junk", 10))), "a.exe");
    EXPECT_EQ(NormaliseProcessName(""), "");
}

}  // namespace
}  // namespace portlight
