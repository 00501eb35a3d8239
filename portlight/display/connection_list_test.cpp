#include "display/connection_list.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// The PID column is padded to 16 characters: a 5-digit PID gets 11 spaces, a PID longer
// than the column none.
TEST(ConnectionList, PaddingBeforeProcessPath) {
    ConnectionRow row;
    row[kColPid] = "12345";
    row[kColPath] = "C:\\apps\\courier.exe";
    EXPECT_EQ(ConnectionListLine("  TCP    0.0.0.0:135   0.0.0.0:0   LISTENING   12345", row),
              "TCP    0.0.0.0:135   0.0.0.0:0   LISTENING   12345" + std::string(11, ' ') +
                  "C:\\apps\\courier.exe");
    row[kColPid] = "0";
    row[kColPath] = "UnKnown File - PID=0";
    EXPECT_EQ(ConnectionListLine("UDP *:*", row),
              "UDP *:*" + std::string(15, ' ') + "UnKnown File - PID=0");
    row[kColPid] = std::string(18, '7');
    EXPECT_EQ(ConnectionListLine("x", row), "x" + row[kColPath]);
}

// The whole list: two header lines and a blank line, then each listing line with its row's
// owner; blank lines are not rows and a last line without its line break still counts.
TEST(ConnectionList, HeaderAndRowsInListingOrder) {
    ConnectionTable table;
    table.rows[0][kColPid] = "884";
    table.rows[0][kColPath] = "C:\\a.exe";
    table.rows[1][kColPid] = "4";
    table.rows[1][kColPath] = "System";
    table.ConnectionCount = 2;
    std::vector<std::string> lines = ConnectionListLines(
        "  TCP    0.0.0.0:135    0.0.0.0:0    LISTENING    884\r\n\r\n"
        "  UDP    0.0.0.0:445    *:*                       4",
        table);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0],
              "Proto       Local                 Remote             Status          Process ID  "
              "    Process Path");
    EXPECT_EQ(lines[1], "       Address : Port         Address : Port" + std::string(53, ' '));
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "TCP    0.0.0.0:135    0.0.0.0:0    LISTENING    884" +
                            std::string(13, ' ') + "C:\\a.exe");
    EXPECT_EQ(lines[4], "UDP    0.0.0.0:445    *:*                       4" + std::string(15, ' ') +
                            "System");

    EXPECT_EQ(ConnectionListLines("", table).size(), 3u);
}

}  // namespace
}  // namespace portlight
