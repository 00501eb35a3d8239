#include "display/process_report.h"

#include "capture/text_split.h"

namespace portlight {

namespace {

void AddConnectionBlock(int number,
                        const ConnectionRow& row,
                        bool segmentPid,
                        ProcessReport& report) {
    std::vector<std::string>& lines = report.lines;
    lines.emplace_back();
    lines.push_back("*** Connection Number :  " + std::to_string(number) + "  ***");
    lines.push_back("Protocol     : " + row[kColProtocol]);
    lines.push_back("Local Addr   : " + row[kColLocalAddress]);
    HostLookupEntry host;
    host.localAddress = row[kColLocalAddress];
    host.localHostLine = static_cast<int>(lines.size());
    lines.push_back(kLocalHostLabel);
    lines.push_back("Local Port   : " + row[kColLocalPort]);
    lines.push_back("Remote Addr  : " + row[kColRemoteAddress]);
    host.remoteAddress = row[kColRemoteAddress];
    host.remoteHostLine = static_cast<int>(lines.size());
    lines.push_back(kRemoteHostLabel);
    lines.push_back("Remote Port  : " + row[kColRemotePort]);
    lines.push_back("Status       : " + row[kColState]);
    if (!segmentPid)
        lines.push_back("Process ID   : " + row[kColPid] + " >> [" + row[kColCategory] + "]");
    report.hosts.push_back(std::move(host));
}

}  // namespace

ProcessReport BuildProcessReport(const ReportInput& input) {
    ProcessReport report;
    if (!input.slot || !input.table || input.slot->count == 0)
        return report;
    const IconSlot& slot = *input.slot;
    const ConnectionTable& table = *input.table;
    const ReportVersion& v = input.version;
    std::vector<int> rows = RowsOfRowList(slot.rowList);
    if (rows.size() > static_cast<size_t>(slot.count))
        rows.resize(static_cast<size_t>(slot.count));

    std::vector<std::string>& lines = report.lines;
    lines.push_back(v.ProductName);
    lines.emplace_back();
    lines.push_back("File Description : " + v.FileDescription);
    lines.push_back("Original File    : " + v.OriginalFileName);
    lines.push_back("Product Name     : " + v.ProductName);
    lines.push_back("Internal Name    : " + v.InternalName);
    lines.push_back("Path             : " + slot.path);
    if (input.segmentPid) {
        std::string category = rows.empty() ? std::string() : table.cell(rows[0], kColCategory);
        lines.push_back("Process ID       : " + TextAfter(TrimSpaces(slot.hoverText), "=") +
                        " >> [" + category + "]");
    }
    int number = 0;
    for (int row : rows)
        AddConnectionBlock(++number, table.rows[row], input.segmentPid, report);
    lines.emplace_back();
    lines.push_back("FileVersion      : " + v.FileVersion);
    lines.push_back("ProductVersion   : " + v.ProductVersion);
    lines.push_back("PrivateBuild     : " + v.PrivateBuild);
    lines.push_back("SpecialBuild     : " + v.SpecialBuild);
    lines.emplace_back();
    lines.push_back("Company Name     : " + v.CompanyName);
    lines.push_back("Legal Copyright  : " + v.LegalCopyright);
    lines.push_back("Legal Trademarks : " + v.LegalTrademarks);
    lines.push_back("LegalTrademarks1 : " + v.LegalTrademarks1);
    lines.push_back("LegalTrademarks2 : " + v.LegalTrademarks2);
    lines.emplace_back();
    const ReportFileTimes none;
    const ReportFileTimes& times = input.times ? *input.times : none;
    lines.push_back("Created          : " + times.created);
    lines.push_back("Last Accessed    : " + times.accessed);
    lines.push_back("Last Written     : " + times.written);
    lines.emplace_back();
    lines.push_back("File OS          : " + v.FileOS);
    lines.push_back("File Type        : " + v.FileType);
    lines.push_back("File SubType     : " + v.FileSubType);
    lines.push_back("File Flags       : " + v.FileFlags);
    lines.push_back("Language         : " + std::to_string(v.Language));
    lines.push_back("CodePage         : " + std::to_string(v.CodePage));
    lines.emplace_back();
    lines.push_back("Comments         : " + v.Comments);
    return report;
}

std::vector<HostLines::Entry> HostLineEntries(const std::vector<HostLookupEntry>& hosts) {
    std::vector<HostLines::Entry> entries;
    for (const HostLookupEntry& host : hosts) {
        if (host.localAddress.empty())
            continue;
        entries.push_back({host.localAddress, host.localHostLine, true});
        entries.push_back({host.remoteAddress, host.remoteHostLine, false});
    }
    return entries;
}

}  // namespace portlight
