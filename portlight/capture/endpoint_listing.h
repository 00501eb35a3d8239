// A netstat listing made from the system's own endpoint tables, for where netstat prints no
// owner column (Wine's) or cannot be run: the rows are written in netstat's layout, header
// included, so the table code reads them as it reads netstat.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capture/capture_result.h"

namespace portlight {

// One endpoint as the IP Helper tables give it: addresses in network order (4 bytes used
// for IPv4), ports as numbers, the TCP state as MIB_TCP_STATE (1 closed .. 12 delete).
struct Endpoint {
    bool tcp = true;
    bool ipv6 = false;
    std::array<uint8_t, 16> localAddress{};
    uint32_t localScope = 0;
    uint16_t localPort = 0;
    std::array<uint8_t, 16> remoteAddress{};
    uint32_t remoteScope = 0;
    uint16_t remotePort = 0;
    uint32_t state = 0;
    uint32_t pid = 0;
};

inline constexpr uint32_t kTcpStateListen = 2;

// What a listing holds, as the netstat command line asks for it.
struct ListingOptions {
    bool tcp = true;
    bool udp = true;
    bool activeOnly = false;  // "-on": connections only, no listening TCP, no UDP
};

// The options a snapshot's command line asks for: "-on" or "-ona", then " -p TCP" or
// " -p UDP" (letter case ignored).
ListingOptions ListingOptionsOfCommand(std::string_view commandLine);

// netstat's state word for a MIB_TCP_STATE value; the number itself for an unknown one.
std::string TcpStateWord(uint32_t state);
// "10.0.0.2"
std::string Ipv4Text(const uint8_t* bytes);
// RFC 5952 text: lower case, the longest run of two or more zero groups as "::", an
// IPv4-mapped address with its dotted tail; "%scope" when the scope id is not 0.
std::string Ipv6Text(const std::array<uint8_t, 16>& bytes, uint32_t scope);

// The endpoints that pass `options`, as netstat -ano prints them: the title and column
// header, then one line per endpoint, each ending in CR LF.
std::string RenderNetstatListing(const std::vector<Endpoint>& endpoints,
                                 const ListingOptions& options);

// True when netstat's output has a column header ("Proto ...") without an owner column:
// the listing then names no process and the system's tables stand in for it.
bool ListingLacksOwnerColumn(std::string_view output);

// Whether a capture's listing is to be made from the system's tables: netstat could not be
// run, printed no owner column, or failed (a non-zero exit) without printing anything, as
// Wine's netstat does for "-on" and "-ona".
bool NeedsSystemTables(const CaptureResult& capture);

}  // namespace portlight
