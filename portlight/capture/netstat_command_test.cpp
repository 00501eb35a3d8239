#include "capture/netstat_command.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

// Every Monitor x ActiveOnly pair, and values that are not exactly "TCP" or "UDP".
TEST(NetstatCommand, CommandLineAndMonitorKind) {
    struct Case {
        const char* monitor;
        bool activeOnly;
        const char* commandLine;
        const char* kind;
    } cases[] = {
        {"All", false, "netstat -ona", "Open "},
        {"All", true, "netstat -on", "Active "},
        {"TCP", false, "netstat -ona -p TCP", "TCP Open "},
        {"TCP", true, "netstat -on -p TCP", "TCP Active "},
        {"UDP", false, "netstat -ona -p UDP", "UDP Open "},
        {"UDP", true, "netstat -on -p UDP", "UDP Active "},
        {"tcp", true, "netstat -on", "Active "},
        {"", false, "netstat -ona", "Open "},
        {"ICMP", false, "netstat -ona", "Open "},
    };
    for (const Case& c : cases) {
        NetstatCommand cmd = BuildNetstatCommand(c.monitor, c.activeOnly);
        EXPECT_EQ(cmd.commandLine, c.commandLine) << c.monitor << " " << c.activeOnly;
        EXPECT_EQ(cmd.monitorKind, c.kind) << c.monitor << " " << c.activeOnly;
    }
}

// The header ends with the word PID; the rest of that line goes too.
TEST(NetstatCommand, StripsHeader) {
    std::string output =
        "\r\nActive Connections\r\n\r\n  Proto  Local Address          Foreign Address        "
        "State           PID\r\n  TCP    0.0.0.0:135            0.0.0.0:0              "
        "LISTENING       884\r\n";
    EXPECT_EQ(StripNetstatHeader(output),
              "TCP    0.0.0.0:135            0.0.0.0:0              LISTENING       884\r\n");
    EXPECT_EQ(StripNetstatHeader(""), "");
    // Without "pid" the fallbacks of TextAfter apply: from the 3rd, then the 2nd character.
    EXPECT_EQ(StripNetstatHeader("abcdef"), "def");
}

TEST(NetstatCommand, OptionTruth) {
    EXPECT_TRUE(OptionIsTrue("True"));
    EXPECT_TRUE(OptionIsTrue("TRUE"));
    EXPECT_FALSE(OptionIsTrue("False"));
    EXPECT_FALSE(OptionIsTrue(""));
    EXPECT_FALSE(OptionIsTrue("Truest"));
    EXPECT_FALSE(OptionIsTrue("1"));
}

}  // namespace
}  // namespace portlight
