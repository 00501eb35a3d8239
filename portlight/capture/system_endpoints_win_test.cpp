#include <winsock2.h>

#include "capture/system_endpoints_win.h"

#include <gtest/gtest.h>

#include "capture/connection_table.h"
#include "capture/netstat_command.h"
#include "loopback_pair.h"

namespace portlight {
namespace {

using samples::LoopbackPair;

bool IsLoopback(const Endpoint& e, bool local) {
    const auto& a = local ? e.localAddress : e.remoteAddress;
    return !e.ipv6 && a[0] == 127 && a[1] == 0 && a[2] == 0 && a[3] == 1;
}

// Wine reports owner 0 for every row; Windows names the owner.
bool OwnerIsUsOrUnknown(uint32_t pid) {
    return pid == 0 || pid == GetCurrentProcessId();
}

// The table read finds a real listening socket and both ends of a connection to it.
TEST(ReadSystemEndpoints, FindsAListenerAndAConnection) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.ready());
    std::vector<Endpoint> endpoints = ReadSystemEndpoints();
    int listening = 0, outgoing = 0, incoming = 0;
    for (const Endpoint& e : endpoints) {
        if (!e.tcp || !IsLoopback(e, true))
            continue;
        if (e.localPort == pair.listenPort && e.state == kTcpStateListen) {
            ++listening;
            EXPECT_EQ(e.remotePort, 0);
            EXPECT_TRUE(OwnerIsUsOrUnknown(e.pid)) << e.pid;
        }
        if (e.localPort == pair.clientPort && e.remotePort == pair.listenPort) {
            ++outgoing;
            EXPECT_TRUE(IsLoopback(e, false));
            EXPECT_EQ(TcpStateWord(e.state), "ESTABLISHED");
            EXPECT_TRUE(OwnerIsUsOrUnknown(e.pid)) << e.pid;
        }
        if (e.localPort == pair.listenPort && e.remotePort == pair.clientPort) {
            ++incoming;
            EXPECT_EQ(TcpStateWord(e.state), "ESTABLISHED");
        }
    }
    EXPECT_EQ(listening, 1);
    EXPECT_EQ(outgoing, 1);
    EXPECT_EQ(incoming, 1);
}

// The listing made from the tables holds them in netstat's layout, and the table code
// reads them back.
TEST(ReadSystemEndpoints, ListingHoldsThemInNetstatLayout) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.ready());
    const std::string listing = RenderNetstatListing(
        ReadSystemEndpoints(),
        ListingOptionsOfCommand(BuildNetstatCommand("TCP", false).commandLine));
    const std::string listener = "127.0.0.1:" + std::to_string(pair.listenPort);
    const std::string client = "127.0.0.1:" + std::to_string(pair.clientPort);
    std::string line = "  TCP    " + listener;
    line.resize(32, ' ');
    line += "0.0.0.0:0              LISTENING       ";
    EXPECT_NE(listing.find(line), std::string::npos) << listing;

    class NoOwners : public ProcessLookup {
        std::string GetProcessPath(uint32_t) override { return ""; }
        std::string GetProcessName(uint32_t) override { return ""; }
    } owners;
    ConnectionTable table;
    BuildConnectionTable(StripNetstatHeader(listing), owners, table);
    bool found = false;
    for (int r = 0; r < table.ConnectionCount; ++r) {
        const ConnectionRow& row = table.rows[r];
        EXPECT_EQ(row[kColProtocol], "TCP") << "-p TCP keeps UDP out";
        if (row[kColLocalPort] == std::to_string(pair.clientPort) &&
            row[kColRemotePort] == std::to_string(pair.listenPort) &&
            row[kColState] == "ESTABLISHED")
            found = true;
    }
    EXPECT_TRUE(found) << listing;
}

// A netstat that prints no owner column is replaced by the tables; one that cannot be
// run too, with its failure kept for the message box.
TEST(CaptureSnapshotListing, FallsBackOnTheTables) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.ready());
    CaptureResult missing = CaptureSnapshotListing("portlight-no-such-netstat -ona -p TCP");
    EXPECT_NE(missing.failure, "");
    EXPECT_NE(missing.output.find("127.0.0.1:" + std::to_string(pair.listenPort)),
              std::string::npos)
        << missing.output;
    EXPECT_FALSE(ListingLacksOwnerColumn(missing.output));
}

}  // namespace
}  // namespace portlight
