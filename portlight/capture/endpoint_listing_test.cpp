#include "capture/endpoint_listing.h"

#include <gtest/gtest.h>

#include "capture/connection_table.h"
#include "capture/netstat_command.h"

namespace portlight {
namespace {

// Every owner is a running program with a readable path.
class KnownOwners : public ProcessLookup {
  public:
    std::string GetProcessPath(uint32_t pid) override {
        return "C:\\Apps\\p" + std::to_string(pid) + ".exe";
    }
    std::string GetProcessName(uint32_t) override { return ""; }
};

Endpoint V4(bool tcp,
            std::array<uint8_t, 4> local,
            uint16_t localPort,
            std::array<uint8_t, 4> remote,
            uint16_t remotePort,
            uint32_t state,
            uint32_t pid) {
    Endpoint e;
    e.tcp = tcp;
    std::copy(local.begin(), local.end(), e.localAddress.begin());
    std::copy(remote.begin(), remote.end(), e.remoteAddress.begin());
    e.localPort = localPort;
    e.remotePort = remotePort;
    e.state = state;
    e.pid = pid;
    return e;
}

Endpoint V6(bool tcp,
            std::array<uint8_t, 16> local,
            uint32_t scope,
            uint16_t localPort,
            uint16_t remotePort,
            uint32_t state,
            uint32_t pid) {
    Endpoint e;
    e.tcp = tcp;
    e.ipv6 = true;
    e.localAddress = local;
    e.localScope = scope;
    e.remoteAddress = local;
    e.remoteScope = scope;
    e.localPort = localPort;
    e.remotePort = remotePort;
    e.state = state;
    e.pid = pid;
    return e;
}

constexpr std::array<uint8_t, 16> kLoopback6 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
constexpr std::array<uint8_t, 16> kLinkLocal6 = {0xfe, 0x80, 0, 0, 0, 0, 0,    0,
                                                 0x02, 0x1a, 0, 0, 0, 0, 0xbe, 0xef};

std::vector<Endpoint> Sample() {
    return {
        V4(true, {0, 0, 0, 0}, 135, {0, 0, 0, 0}, 0, 2, 900),
        V4(true, {10, 0, 0, 2}, 50000, {93, 184, 216, 34}, 443, 5, 700),
        V4(true, {127, 0, 0, 1}, 65535, {127, 0, 0, 1}, 40000, 11, 0),
        V6(true, kLoopback6, 0, 445, 0, 2, 800),
        V6(true, kLinkLocal6, 7, 49152, 5357, 8, 700),
        V4(false, {0, 0, 0, 0}, 500, {0, 0, 0, 0}, 0, 0, 900),
        V6(false, kLinkLocal6, 7, 1900, 0, 0, 0),
    };
}

ConnectionTable ParseBack(const std::string& listing) {
    KnownOwners owners;
    ConnectionTable table;
    BuildConnectionTable(StripNetstatHeader(listing), owners, table);
    return table;
}

TEST(EndpointText, Ipv6AndStateWords) {
    EXPECT_EQ(Ipv6Text({}, 0), "::");
    EXPECT_EQ(Ipv6Text(kLoopback6, 0), "::1");
    EXPECT_EQ(Ipv6Text(kLinkLocal6, 7), "fe80::21a:0:0:beef%7");
    EXPECT_EQ(Ipv6Text({0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1}, 0),
              "2001:db8::1:0:0:1")
        << "the first of two equal zero runs";
    EXPECT_EQ(Ipv6Text({0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}, 0),
              "2001:db8:0:1:1:1:1:1")
        << "a single zero group stays";
    EXPECT_EQ(Ipv6Text({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 192, 168, 1, 9}, 0),
              "::ffff:192.168.1.9");
    EXPECT_EQ(TcpStateWord(2), "LISTENING");
    EXPECT_EQ(TcpStateWord(5), "ESTABLISHED");
    EXPECT_EQ(TcpStateWord(11), "TIME_WAIT");
    EXPECT_EQ(TcpStateWord(12), "DELETE_TCB");
    EXPECT_EQ(TcpStateWord(99), "99");
}

// The listing is netstat's own layout, line for line.
TEST(RenderNetstatListing, NetstatLayout) {
    std::string listing = RenderNetstatListing(Sample(), ListingOptions());
    EXPECT_NE(listing.find("  Proto  Local Address          Foreign Address        State"
                           "           PID\r\n"),
              std::string::npos);
    EXPECT_NE(listing.find("\r\n  TCP    0.0.0.0:135            0.0.0.0:0              "
                           "LISTENING       900\r\n"),
              std::string::npos)
        << listing;
    EXPECT_NE(listing.find("\r\n  UDP    0.0.0.0:500            *:*                    "
                           "                900\r\n"),
              std::string::npos)
        << listing;
    EXPECT_NE(listing.find("\r\n  TCP    [fe80::21a:0:0:beef%7]:49152 [fe80::21a:0:0:beef%7]:5357 "
                           "CLOSE_WAIT      700\r\n"),
              std::string::npos)
        << "a column wider than its field keeps one space\n"
        << listing;
    EXPECT_FALSE(ListingLacksOwnerColumn(listing));
}

// Rendered and parsed back by the table code: the same rows, for IPv4, IPv6 and UDP.
TEST(RenderNetstatListing, ParsesBackIntoTheSameRows) {
    ConnectionTable table = ParseBack(RenderNetstatListing(Sample(), ListingOptions()));
    ASSERT_EQ(table.ConnectionCount, 7);
    auto expect = [&](int r, std::vector<std::string> cells) {
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(table.rows[r][c], cells[c]) << "row " << r << " column " << c;
        EXPECT_EQ(table.rows[r][kColPid], cells[6]) << "row " << r;
    };
    expect(0, {"TCP", "0.0.0.0", "135", "0.0.0.0", "0", "LISTENING", "900"});
    expect(1, {"TCP", "10.0.0.2", "50000", "93.184.216.34", "443", "ESTABLISHED", "700"});
    expect(2, {"TCP", "127.0.0.1", "65535", "127.0.0.1", "40000", "TIME_WAIT", "0"});
    expect(3, {"TCP", "[::1]", "445", "[::1]", "0", "LISTENING", "800"});
    expect(4, {"TCP", "[fe80::21a:0:0:beef%7]", "49152", "[fe80::21a:0:0:beef%7]", "5357",
               "CLOSE_WAIT", "700"});
    expect(5, {"UDP", "0.0.0.0", "500", "*", "*", "", "900"});
    expect(6, {"UDP", "[fe80::21a:0:0:beef%7]", "1900", "*", "*", "", "0"});
    EXPECT_EQ(table.rows[1][kColPath], "C:\\Apps\\p700.exe");
    EXPECT_EQ(table.rows[2][kColPath], "UnKnown File - PID=0");
}

// Each protocol and active-only pair keeps what netstat's switches would keep.
TEST(RenderNetstatListing, HonoursEachOptionPair) {
    struct Case {
        const char* monitor;
        bool activeOnly;
        std::vector<std::string> localPorts;
    };
    const Case cases[] = {
        {"All", false, {"135", "50000", "65535", "445", "49152", "500", "1900"}},
        {"All", true, {"50000", "65535", "49152"}},
        {"TCP", false, {"135", "50000", "65535", "445", "49152"}},
        {"TCP", true, {"50000", "65535", "49152"}},
        {"UDP", false, {"500", "1900"}},
        {"UDP", true, {}},
    };
    for (const Case& c : cases) {
        const std::string command = BuildNetstatCommand(c.monitor, c.activeOnly).commandLine;
        ConnectionTable table =
            ParseBack(RenderNetstatListing(Sample(), ListingOptionsOfCommand(command)));
        std::vector<std::string> ports;
        for (int r = 0; r < table.ConnectionCount; ++r)
            ports.push_back(table.rows[r][kColLocalPort]);
        EXPECT_EQ(ports, c.localPorts) << command;
    }
}

TEST(ListingLacksOwnerColumn, TellsWineFromWindows) {
    EXPECT_TRUE(ListingLacksOwnerColumn(
        "\r\nActive Connections\r\n\r\n  Proto  Local Address          Foreign Address"
        "        State\r\n  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING\r\n"));
    EXPECT_FALSE(ListingLacksOwnerColumn(
        "\r\nActive Connections\r\n\r\n  Proto  Local Address          Foreign Address"
        "        State           PID\r\n"));
    EXPECT_FALSE(ListingLacksOwnerColumn("")) << "a netstat that printed nothing stays as it is";
    EXPECT_FALSE(ListingLacksOwnerColumn("The system cannot find the path specified.\r\n"));
}

// Which captures the system's tables stand in for.
TEST(NeedsSystemTables, FailuresAndOwnerlessListings) {
    CaptureResult c;
    c.exitCode = 0;
    EXPECT_FALSE(NeedsSystemTables(c)) << "a netstat that found nothing";
    c.output = "\r\n";
    c.exitCode = 1;
    EXPECT_TRUE(NeedsSystemTables(c)) << "refused its switches, printed nothing";
    c.exitCode = -1;
    EXPECT_FALSE(NeedsSystemTables(c)) << "not seen to end";
    c.output = "\r\n  Proto  Local Address          Foreign Address        State\r\n";
    c.exitCode = 0;
    EXPECT_TRUE(NeedsSystemTables(c));
    c.output = RenderNetstatListing({}, ListingOptions());
    c.exitCode = 1;
    EXPECT_FALSE(NeedsSystemTables(c)) << "a listing with owners stays, whatever the exit";
    c.failure = "CreateProcess failed. Error: 2";
    EXPECT_TRUE(NeedsSystemTables(c));
}

}  // namespace
}  // namespace portlight
