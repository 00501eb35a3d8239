// The system's own endpoint tables (IP Helper GetExtendedTcpTable / GetExtendedUdpTable,
// IPv4 and IPv6, with owner ids), and the snapshot's capture that falls back on them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "capture/capture_result.h"
#include "capture/endpoint_listing.h"

namespace portlight {

// TCP IPv4, TCP IPv6, UDP IPv4, UDP IPv6, in netstat's order. A table that cannot be read
// is left out. Wine gives owner 0 for every row.
std::vector<Endpoint> ReadSystemEndpoints();

// netstat through the pipe; when it cannot be run, fails silently or prints no owner
// column, the listing
// is made from the system's tables instead, with the protocol and active-only switches of
// `commandLine` applied. A failure text stays for the bar to show.
CaptureResult CaptureSnapshotListing(const std::string& commandLine);

}  // namespace portlight
