#include "display/process_report.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

void SetRow(ConnectionTable& table,
            int row,
            const std::string& proto,
            const std::string& local,
            const std::string& localPort,
            const std::string& remote,
            const std::string& remotePort,
            const std::string& state,
            const std::string& pid) {
    table.rows[row] = {
        proto, local, localPort, remote, remotePort, state, "Normal", "C:\\apps\\courier.exe", pid};
}

struct Fixture {
    ConnectionTable table;
    IconSlot slot;
    ReportInput input;

    Fixture(bool segmentPid) {
        SetRow(table, 0, "TCP", "0.0.0.0", "135", "0.0.0.0", "0", "LISTENING", "884");
        SetRow(table, 3, "TCP", "10.0.0.2", "50000", "93.184.216.34", "443", "ESTABLISHED", "884");
        SetRow(table, 17, "UDP", "0.0.0.0", "500", "*", "*", "", "884");
        table.ConnectionCount = 18;
        slot.hoverText = segmentPid ? "Sample Courier - PID=884 " : "Sample Courier";
        slot.path = "C:\\apps\\courier.exe";
        slot.count = 3;
        slot.rowList = "000003017";
        slot.visible = true;
        input.slot = &slot;
        input.table = &table;
        input.segmentPid = segmentPid;
        input.version.ProductName = "Sample Courier Suite";
        input.version.FileDescription = "Sample Courier";
        input.version.OriginalFileName = "courier.exe";
        input.version.InternalName = "courier";
        input.version.FileVersion = "2.5.0.17";
        input.version.ProductVersion = "2.5";
        input.version.CompanyName = "Kestro Test Labs";
        input.version.LegalCopyright = "(C) Kestro";
        input.version.FileOS = "VOS_NT_WINDOWS32";
        input.version.FileType = "VFT_APP";
        input.version.FileSubType = "VFT2_UNKNOWN";
        input.version.FileFlags = "";
        input.version.Language = 1033;
        input.version.CodePage = 1252;
        input.version.Comments = "first part";
        input.times = ReportFileTimes{"1/2/2020 3:04:05 PM", "1/3/2020", "1/4/2020 6:07:08 AM"};
    }
};

std::vector<std::string> Block(int number,
                               const std::string& proto,
                               const std::string& local,
                               const std::string& localPort,
                               const std::string& remote,
                               const std::string& remotePort,
                               const std::string& state,
                               bool withPid) {
    std::vector<std::string> lines = {
        "",
        "*** Connection Number :  " + std::to_string(number) + "  ***",
        "Protocol     : " + proto,
        "Local Addr   : " + local,
        "Local Host   : ",
        "Local Port   : " + localPort,
        "Remote Addr  : " + remote,
        "Remote Host  : ",
        "Remote Port  : " + remotePort,
        "Status       : " + state};
    if (withPid)
        lines.push_back("Process ID   : 884 >> [Normal]");
    return lines;
}

std::vector<std::string> Expected(bool segmentPid) {
    std::vector<std::string> lines = {
        "Sample Courier Suite",
        "",
        "File Description : Sample Courier",
        "Original File    : courier.exe",
        "Product Name     : Sample Courier Suite",
        "Internal Name    : courier",
        "Path             : C:\\apps\\courier.exe",
    };
    if (segmentPid)
        lines.push_back("Process ID       : 884 >> [Normal]");
    const bool blockPid = !segmentPid;
    for (auto block :
         {Block(1, "TCP", "0.0.0.0", "135", "0.0.0.0", "0", "LISTENING", blockPid),
          Block(2, "TCP", "10.0.0.2", "50000", "93.184.216.34", "443", "ESTABLISHED", blockPid),
          Block(3, "UDP", "0.0.0.0", "500", "*", "*", "", blockPid)})
        lines.insert(lines.end(), block.begin(), block.end());
    std::vector<std::string> tail = {
        "",
        "FileVersion      : 2.5.0.17",
        "ProductVersion   : 2.5",
        "PrivateBuild     : ",
        "SpecialBuild     : ",
        "",
        "Company Name     : Kestro Test Labs",
        "Legal Copyright  : (C) Kestro",
        "Legal Trademarks : ",
        "LegalTrademarks1 : ",
        "LegalTrademarks2 : ",
        "",
        "Created          : 1/2/2020 3:04:05 PM",
        "Last Accessed    : 1/3/2020",
        "Last Written     : 1/4/2020 6:07:08 AM",
        "",
        "File OS          : VOS_NT_WINDOWS32",
        "File Type        : VFT_APP",
        "File SubType     : VFT2_UNKNOWN",
        "File Flags       : ",
        "Language         : 1033",
        "CodePage         : 1252",
        "",
        "Comments         : first part",
    };
    lines.insert(lines.end(), tail.begin(), tail.end());
    return lines;
}

// A slot with three connections: the exact lines, blocks numbered 1 to 3 and each opened by
// an empty line, and the process id in the header (segmented) or in every block (not).
TEST(ProcessReport, ThreeConnectionsUnderBothSegmentPidSettings) {
    for (bool segmentPid : {true, false}) {
        SCOPED_TRACE(segmentPid);
        Fixture f(segmentPid);
        ProcessReport report = BuildProcessReport(f.input);
        EXPECT_EQ(report.lines, Expected(segmentPid));
        ASSERT_EQ(report.hosts.size(), 3u);
        const int firstBlock = segmentPid ? 8 : 7;
        const int blockSize = segmentPid ? 10 : 11;
        for (int k = 0; k < 3; ++k) {
            const HostLookupEntry& host = report.hosts[k];
            EXPECT_EQ(host.localHostLine, firstBlock + k * blockSize + 4);
            EXPECT_EQ(host.remoteHostLine, firstBlock + k * blockSize + 7);
            EXPECT_EQ(report.lines[host.localHostLine], "Local Host   : ");
            EXPECT_EQ(report.lines[host.remoteHostLine], "Remote Host  : ");
        }
        EXPECT_EQ(report.hosts[1].localAddress, "10.0.0.2");
        EXPECT_EQ(report.hosts[1].remoteAddress, "93.184.216.34");
    }
}

// The header's process id is the text after "=" of the trimmed hover text, with the first
// row's category.
TEST(ProcessReport, HeaderProcessIdTakesFirstRowCategory) {
    Fixture f(true);
    f.table.rows[0][kColCategory] = "Protected";
    f.slot.hoverText = "  svchost.exe - PID=4  ";
    ProcessReport report = BuildProcessReport(f.input);
    EXPECT_EQ(report.lines[7], "Process ID       : 4 >> [Protected]");
}

// Edge cases: nothing for an empty slot; unread file times leave the time lines bare; a row
// list shorter than the count gives only the blocks it names.
TEST(ProcessReport, EmptySlotUnreadTimesShortRowList) {
    Fixture f(false);
    f.slot.count = 0;
    EXPECT_TRUE(BuildProcessReport(f.input).lines.empty());

    Fixture g(false);
    g.input.times.reset();
    ProcessReport report = BuildProcessReport(g.input);
    int found = 0;
    for (const std::string& line : report.lines) {
        if (line.rfind("Created", 0) == 0 || line.rfind("Last ", 0) == 0) {
            EXPECT_EQ(line.back(), ' ') << line;
            ++found;
        }
    }
    EXPECT_EQ(found, 3);

    Fixture h(false);
    h.slot.rowList = "003";
    report = BuildProcessReport(h.input);
    EXPECT_EQ(report.hosts.size(), 1u);
}

// The host lines to fill: local then remote per connection, none for an empty local address.
TEST(ProcessReport, HostLineEntriesSkipEmptyLocalAddress) {
    std::vector<HostLookupEntry> hosts = {{"10.0.0.2", 11, "93.184.216.34", 14},
                                          {"", 22, "1.2.3.4", 25}};
    std::vector<HostLines::Entry> entries = HostLineEntries(hosts);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].address, "10.0.0.2");
    EXPECT_EQ(entries[0].line, 11);
    EXPECT_TRUE(entries[0].local);
    EXPECT_EQ(entries[1].address, "93.184.216.34");
    EXPECT_EQ(entries[1].line, 14);
    EXPECT_FALSE(entries[1].local);
}

}  // namespace
}  // namespace portlight
