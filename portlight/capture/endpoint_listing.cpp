#include "capture/endpoint_listing.h"

#include <cstdio>

#include "capture/process_lookup.h"
#include "capture/text_split.h"

namespace portlight {

namespace {

// netstat -ano's column widths: protocol, local and foreign address, state, then the PID.
constexpr size_t kProtoWidth = 7;
constexpr size_t kAddressWidth = 23;
constexpr size_t kStateWidth = 16;

void AppendPadded(std::string& line, std::string_view text, size_t width) {
    line += text;
    // A column wider than its field (a long IPv6 address) still leaves one space.
    line.append(text.size() < width ? width - text.size() : 1, ' ');
}

std::string AddressColumn(const Endpoint& e, bool local) {
    const auto& bytes = local ? e.localAddress : e.remoteAddress;
    const uint16_t port = local ? e.localPort : e.remotePort;
    if (!e.ipv6)
        return Ipv4Text(bytes.data()) + ":" + std::to_string(port);
    return "[" + Ipv6Text(bytes, local ? e.localScope : e.remoteScope) +
           "]:" + std::to_string(port);
}

bool Passes(const Endpoint& e, const ListingOptions& options) {
    if (e.tcp ? !options.tcp : !options.udp)
        return false;
    // Without -a netstat shows connections only: no listening sockets and no UDP.
    if (options.activeOnly && (!e.tcp || e.state == kTcpStateListen))
        return false;
    return true;
}

}  // namespace

ListingOptions ListingOptionsOfCommand(std::string_view commandLine) {
    ListingOptions options;
    options.activeOnly = FindNoCase(commandLine, "-ona") == std::string_view::npos;
    if (FindNoCase(commandLine, "-p TCP") != std::string_view::npos)
        options.udp = false;
    else if (FindNoCase(commandLine, "-p UDP") != std::string_view::npos)
        options.tcp = false;
    return options;
}

std::string TcpStateWord(uint32_t state) {
    static const char* const kWords[] = {"CLOSED",      "LISTENING",  "SYN_SENT",   "SYN_RECEIVED",
                                         "ESTABLISHED", "FIN_WAIT_1", "FIN_WAIT_2", "CLOSE_WAIT",
                                         "CLOSING",     "LAST_ACK",   "TIME_WAIT",  "DELETE_TCB"};
    if (state >= 1 && state <= 12)
        return kWords[state - 1];
    return std::to_string(state);
}

std::string Ipv4Text(const uint8_t* bytes) {
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

std::string Ipv6Text(const std::array<uint8_t, 16>& bytes, uint32_t scope) {
    uint16_t groups[8];
    for (int i = 0; i < 8; ++i)
        groups[i] = static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    std::string text;
    // ::ffff:a.b.c.d, an IPv4 address seen through an IPv6 socket.
    bool mapped = groups[5] == 0xFFFF;
    for (int i = 0; i < 5; ++i)
        mapped = mapped && groups[i] == 0;
    if (mapped)
        text = "::ffff:" + Ipv4Text(bytes.data() + 12);
    else {
        // The longest run of two or more zero groups, the first of equal runs.
        int bestStart = -1, bestLength = 1;
        for (int i = 0; i < 8;) {
            if (groups[i] != 0) {
                ++i;
                continue;
            }
            int j = i;
            while (j < 8 && groups[j] == 0)
                ++j;
            if (j - i > bestLength) {
                bestStart = i;
                bestLength = j - i;
            }
            i = j;
        }
        char hex[8];
        for (int i = 0; i < 8; ++i) {
            if (i == bestStart) {
                text += "::";
                i += bestLength - 1;
                continue;
            }
            if (!text.empty() && text.back() != ':')
                text += ':';
            std::snprintf(hex, sizeof hex, "%x", groups[i]);
            text += hex;
        }
    }
    if (scope != 0)
        text += "%" + std::to_string(scope);
    return text;
}

std::string RenderNetstatListing(const std::vector<Endpoint>& endpoints,
                                 const ListingOptions& options) {
    std::string listing =
        "\r\nActive Connections\r\n\r\n"
        "  Proto  Local Address          Foreign Address        State           PID\r\n";
    for (const Endpoint& e : endpoints) {
        if (!Passes(e, options))
            continue;
        std::string line = "  ";
        AppendPadded(line, e.tcp ? "TCP" : "UDP", kProtoWidth);
        AppendPadded(line, AddressColumn(e, true), kAddressWidth);
        AppendPadded(line, e.tcp ? AddressColumn(e, false) : "*:*", kAddressWidth);
        AppendPadded(line, e.tcp ? TcpStateWord(e.state) : "", kStateWidth);
        line += std::to_string(e.pid);
        listing += line + "\r\n";
    }
    return listing;
}

bool ListingLacksOwnerColumn(std::string_view output) {
    while (!output.empty()) {
        size_t end = output.find('\n');
        std::string_view line = output.substr(0, end);
        output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
        std::string trimmed = TrimSpaces(line);
        if (FindNoCase(trimmed, "proto") == 0)
            return FindNoCase(trimmed, "pid") == std::string::npos;
    }
    return false;
}

}  // namespace portlight

namespace portlight {

bool NeedsSystemTables(const CaptureResult& capture) {
    if (!capture.failure.empty() || ListingLacksOwnerColumn(capture.output))
        return true;
    return capture.exitCode > 0 &&
           TrimSpaces(capture.output).find_first_not_of("\r\n") == std::string::npos;
}

}  // namespace portlight
