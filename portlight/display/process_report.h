// ShowProcessReport as text: the lines of the report on one icon slot (what its executable
// says about itself, where it lies, its file times and every connection it holds) and the
// host lookup list that ties each connection's addresses to its "Local Host" and
// "Remote Host" lines. The details window shows the lines; the Win32 side reads the version
// resource and the file times and fills them in here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"
#include "net/host_lookup.h"

namespace portlight {

// The version-resource values the report shows (Part of VersionInfo), empty or 0 when the
// file has none.
struct ReportVersion {
    std::string ProductName;
    std::string FileDescription;
    std::string OriginalFileName;
    std::string InternalName;
    std::string FileVersion;
    std::string ProductVersion;
    std::string PrivateBuild;
    std::string SpecialBuild;
    std::string CompanyName;
    std::string LegalCopyright;
    std::string LegalTrademarks;
    std::string LegalTrademarks1;
    std::string LegalTrademarks2;
    std::string FileOS;
    std::string FileType;
    std::string FileSubType;
    std::string FileFlags;
    uint32_t Language = 0;
    uint32_t CodePage = 0;
    std::string Comments;
};

// The three file times as display text; absent when they could not be read, and then the
// time lines keep only their labels.
struct ReportFileTimes {
    std::string created;
    std::string accessed;
    std::string written;
};

// One entry of the host lookup list: a connection's two addresses and the 0-based list
// positions of its "Local Host" and "Remote Host" lines.
struct HostLookupEntry {
    std::string localAddress;
    int localHostLine = -1;
    std::string remoteAddress;
    int remoteHostLine = -1;
};

struct ProcessReport {
    std::vector<std::string> lines;
    std::vector<HostLookupEntry> hosts;
};

struct ReportInput {
    const IconSlot* slot = nullptr;
    const ConnectionTable* table = nullptr;
    bool segmentPid = false;
    ReportVersion version;
    std::optional<ReportFileTimes> times;
};

inline constexpr char kLocalHostLabel[] = "Local Host   : ";
inline constexpr char kRemoteHostLabel[] = "Remote Host  : ";

// The report lines in order (header, one block per connection of the slot's row list,
// version, company, time and file-kind sections). An empty report (no lines) for a slot
// whose count is 0.
ProcessReport BuildProcessReport(const ReportInput& input);

// The host lines to fill, from the host lookup list: local then remote line of each
// connection, skipping connections whose local address is empty.
std::vector<HostLines::Entry> HostLineEntries(const std::vector<HostLookupEntry>& hosts);

}  // namespace portlight
