#include "display/termination.h"

#include <gtest/gtest.h>

#include <map>

namespace portlight {
namespace {

TcpField Address(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return {a, b, c, d};
}

TcpField Port(uint16_t port) {
    // Network order in bytes 0 and 1; bytes 2 and 3 are whatever the system left there.
    return {static_cast<uint8_t>(port >> 8), static_cast<uint8_t>(port & 0xFF), 0xAB, 0xCD};
}

TcpTableRow Row(TcpField local, uint16_t localPort, TcpField remote, uint16_t remotePort) {
    return {5, local, Port(localPort), remote, Port(remotePort)};
}

struct FakeProcess {
    std::string path;
    bool ended = false;
};

class FakeSystem : public TerminationSystem {
  public:
    std::optional<std::vector<TcpTableRow>> table = std::vector<TcpTableRow>();
    uint32_t setResult = 0;
    std::vector<TcpTableRow> set;
    int beeps = 0;
    std::map<uint32_t, FakeProcess> processes;
    std::vector<uint32_t> opened;

    std::optional<std::vector<TcpTableRow>> ReadTcpTable() override { return table; }
    uint32_t SetTcpEntry(const TcpTableRow& row) override {
        set.push_back(row);
        return setResult;
    }
    std::unique_ptr<OpenedProcess> OpenForTermination(uint32_t pid) override {
        opened.push_back(pid);
        auto it = processes.find(pid);
        if (it == processes.end())
            return nullptr;
        struct Opened : OpenedProcess {
            explicit Opened(FakeProcess& p) : p_(p) {}
            std::string Path() override { return p_.path; }
            void Terminate() override { p_.ended = true; }
            FakeProcess& p_;
        };
        return std::make_unique<Opened>(it->second);
    }
    void Beep() override { ++beeps; }
};

class TerminationTest : public ::testing::Test {
  protected:
    void AddRow(const std::string& protocol,
                const std::string& pid,
                const std::string& path,
                const std::string& category = "Normal") {
        int r = table_.ConnectionCount++;
        table_.rows[r] = {protocol,        "10.0.0.2", std::to_string(50000 + r),
                          "93.184.216.34", "443",      "ESTABLISHED",
                          category,        path,       pid};
    }

    ConnectionTable table_;
    FakeSystem system_;
    int snapshots_ = 0;
    Termination termination_{table_, system_, [this] { ++snapshots_; }};
};

TEST(PortFromBytes, HighByteFirstAndUnsigned) {
    EXPECT_EQ(PortFromBytes(Port(80)), 80);
    EXPECT_EQ(PortFromBytes(TcpField{0x01, 0xBB, 0, 0}), 443);
    EXPECT_EQ(PortFromBytes(Port(32767)), 32767);
    EXPECT_EQ(PortFromBytes(Port(32768)), 32768);
    EXPECT_EQ(PortFromBytes(Port(65535)), 65535);
    EXPECT_EQ(PortFromBytes(TcpField{0, 0, 0xFF, 0xFF}), 0) << "bytes 2 and 3 are not the port";
}

TEST(AddressFromBytes, MemoryOrderDottedDecimal) {
    EXPECT_EQ(AddressFromBytes(Address(127, 0, 0, 1)), "127.0.0.1");
    EXPECT_EQ(AddressFromBytes(Address(0, 0, 0, 0)), "0.0.0.0");
    EXPECT_EQ(AddressFromBytes(Address(255, 254, 10, 200)), "255.254.10.200");
}

TEST(ParseConnectionCaption, FourTrimmedParts) {
    ConnectionCaption c = ParseConnectionCaption("R:(93.184.216.34 : 443) L:(10.0.0.2 : 65001)");
    EXPECT_EQ(c.remoteAddress, "93.184.216.34");
    EXPECT_EQ(c.remotePort, "443");
    EXPECT_EQ(c.localAddress, "10.0.0.2");
    EXPECT_EQ(c.localPort, "65001");
}

// Matching: no match, a match on the last of more than 301 rows, high ports.
TEST(FindConnectionRow, MatchesAllFourPartsAsText) {
    std::vector<TcpTableRow> rows;
    for (int i = 0; i < 400; ++i)
        rows.push_back(
            Row(Address(10, 0, 0, 2), static_cast<uint16_t>(40000 + i), Address(1, 2, 3, 4), 443));
    rows.push_back(Row(Address(10, 0, 0, 2), 65001, Address(93, 184, 216, 34), 40443));
    const auto caption = ParseConnectionCaption("R:(93.184.216.34 : 40443) L:(10.0.0.2 : 65001)");
    EXPECT_EQ(FindConnectionRow(caption, rows), 400u);

    // Every part must agree: remote port, remote address, local port, local address.
    EXPECT_FALSE(FindConnectionRow(
        ParseConnectionCaption("R:(93.184.216.34 : 40444) L:(10.0.0.2 : 65001)"), rows));
    EXPECT_FALSE(FindConnectionRow(
        ParseConnectionCaption("R:(93.184.216.35 : 40443) L:(10.0.0.2 : 65001)"), rows));
    EXPECT_FALSE(FindConnectionRow(
        ParseConnectionCaption("R:(93.184.216.34 : 40443) L:(10.0.0.2 : 65002)"), rows));
    EXPECT_FALSE(FindConnectionRow(
        ParseConnectionCaption("R:(93.184.216.34 : 40443) L:(10.0.0.3 : 65001)"), rows));
    // A port read as signed 16-bit would be -535 here.
    EXPECT_FALSE(FindConnectionRow(
        ParseConnectionCaption("R:(93.184.216.34 : 40443) L:(10.0.0.2 : -535)"), rows));
    EXPECT_FALSE(FindConnectionRow(caption, {}));
}

// A match is set to the delete state, a snapshot follows, and the beep only on success.
TEST_F(TerminationTest, DeleteConnectionMatchSnapshotAndBeep) {
    system_.table =
        std::vector<TcpTableRow>{Row(Address(10, 0, 0, 2), 50000, Address(1, 1, 1, 1), 80),
                                 Row(Address(10, 0, 0, 2), 50001, Address(93, 184, 216, 34), 443)};
    EXPECT_TRUE(termination_.DeleteConnection("R:(93.184.216.34 : 443) L:(10.0.0.2 : 50001)"));
    ASSERT_EQ(system_.set.size(), 1u);
    EXPECT_EQ(system_.set[0].state, kTcpStateDeleteTcb);
    EXPECT_EQ(PortFromBytes(system_.set[0].localPort), 50001);
    EXPECT_EQ(system_.set[0].localPort[2], 0xAB) << "the row goes back as the system gave it";
    EXPECT_EQ(snapshots_, 1);
    EXPECT_EQ(system_.beeps, 1);

    // The system refuses: the snapshot still follows, no beep.
    system_.setResult = 317;
    EXPECT_TRUE(termination_.DeleteConnection("R:(1.1.1.1 : 80) L:(10.0.0.2 : 50000)"));
    EXPECT_EQ(snapshots_, 2);
    EXPECT_EQ(system_.beeps, 1);
}

TEST_F(TerminationTest, DeleteConnectionWithoutMatchOrTableDoesNothing) {
    system_.table =
        std::vector<TcpTableRow>{Row(Address(10, 0, 0, 2), 50000, Address(1, 1, 1, 1), 80)};
    EXPECT_FALSE(termination_.DeleteConnection("R:(1.1.1.1 : 80) L:(10.0.0.2 : 50009)"));
    EXPECT_FALSE(termination_.DeleteConnection(""));
    system_.table.reset();
    EXPECT_FALSE(termination_.DeleteConnection("R:(1.1.1.1 : 80) L:(10.0.0.2 : 50000)"));
    EXPECT_TRUE(system_.set.empty());
    EXPECT_EQ(snapshots_, 0);
    EXPECT_EQ(system_.beeps, 0);
}

// The process id is ended only while it names the program the snapshot recorded.
TEST_F(TerminationTest, KillProcessRefusesAReusedProcessId) {
    AddRow("TCP", "700", "C:\\Apps\\Courier.exe");
    AddRow("TCP", "800", "C:\\Apps\\Other.exe");
    AddRow("TCP", "4", "System", "Protected");
    system_.processes[700] = {"c:\\apps\\courier.exe"};   // letter case may differ
    system_.processes[800] = {"C:\\Apps\\Newcomer.exe"};  // the id passed to another program
    system_.processes[4] = {""};
    system_.processes[900] = {"C:\\Apps\\Unlisted.exe"};

    EXPECT_TRUE(termination_.KillProcess(700));
    EXPECT_TRUE(system_.processes[700].ended);
    EXPECT_FALSE(termination_.KillProcess(800));
    EXPECT_FALSE(system_.processes[800].ended);
    EXPECT_FALSE(termination_.KillProcess(4));
    EXPECT_FALSE(termination_.KillProcess(900)) << "not in the snapshot: nothing recorded";
    EXPECT_FALSE(system_.processes[900].ended);
    EXPECT_FALSE(termination_.KillProcess(0));
    EXPECT_FALSE(termination_.KillProcess(12345)) << "gone: cannot be opened";
}

// "Terminate All" under "Terminate Connection": at most the ten listed entries.
TEST_F(TerminationTest, TerminateAllConnectionsEndsAtMostTen) {
    std::vector<TcpTableRow> rows;
    for (int r = 0; r < 12; ++r) {
        AddRow("TCP", "700", "C:\\Apps\\Courier.exe");
        rows.push_back(Row(Address(10, 0, 0, 2), static_cast<uint16_t>(50000 + r),
                           Address(93, 184, 216, 34), 443));
    }
    system_.table = rows;
    IconSlot slot;
    slot.hoverText = "Courier";
    for (int r = 0; r < 12; ++r)
        slot.rowList += (r < 10 ? "00" : "0") + std::to_string(r);
    slot.count = 12;
    std::optional<IconMenu> menu = BuildIconMenu(0, slot, table_, false);
    ASSERT_TRUE(menu);
    termination_.RunMenuCommand(*menu, TerminateCommand::kConnectionAll, 0);
    ASSERT_EQ(system_.set.size(), 10u);
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(PortFromBytes(system_.set[k].localPort), 50000 + k);

    system_.set.clear();
    termination_.RunMenuCommand(*menu, TerminateCommand::kConnection, 3);
    ASSERT_EQ(system_.set.size(), 1u);
    EXPECT_EQ(PortFromBytes(system_.set[0].localPort), 50003);
}

// "Terminate All" under "Terminate Process": five connections of one process end it once.
TEST_F(TerminationTest, TerminateAllProcessesEndsEachOnce) {
    for (int r = 0; r < 5; ++r)
        AddRow("TCP", "700", "C:\\Apps\\Courier.exe");
    AddRow("TCP", "4", "System", "Protected");
    system_.processes[700] = {"C:\\Apps\\Courier.exe"};
    system_.processes[4] = {"System"};
    IconSlot slot;
    slot.hoverText = "Courier";
    slot.rowList = "000001002003004005";
    slot.count = 6;
    std::optional<IconMenu> menu = BuildIconMenu(0, slot, table_, false);
    ASSERT_TRUE(menu);
    termination_.RunMenuCommand(*menu, TerminateCommand::kProcessAll, 0);
    EXPECT_EQ(system_.opened, std::vector<uint32_t>{700}) << "the disabled System entry is skipped";
    EXPECT_TRUE(system_.processes[700].ended);
    EXPECT_FALSE(system_.processes[4].ended);

    system_.opened.clear();
    system_.processes[700].ended = false;
    termination_.RunMenuCommand(*menu, TerminateCommand::kProcess, 0);
    EXPECT_EQ(system_.opened, std::vector<uint32_t>{700});
    EXPECT_TRUE(system_.processes[700].ended);
}

TEST_F(TerminationTest, DetailsTargetLeadingNumber) {
    AddRow("TCP", "700", "C:\\Apps\\Courier.exe");
    system_.processes[700] = {"C:\\Apps\\Courier.exe"};
    EXPECT_FALSE(termination_.TerminateFromDetails(""));
    EXPECT_TRUE(termination_.TerminateFromDetails("700 >> [Normal]"));
    EXPECT_TRUE(system_.processes[700].ended);
}

}  // namespace
}  // namespace portlight
