// winsock2.h before windows.h, which the IP Helper headers need for the IPv6 rows.
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>

#include "capture/system_endpoints_win.h"

#include <cstring>
#include <functional>

#include "capture/run_capture_win.h"

namespace portlight {

namespace {

// A table that grows faster than it can be read is given up after a few rounds.
constexpr int kTableAttempts = 8;

// Asks `read` for the table's size, then for the table, again while it grows.
std::optional<std::vector<unsigned char>> ReadTable(
    const std::function<DWORD(void* buffer, DWORD* size)>& read) {
    DWORD size = 0;
    std::vector<unsigned char> buffer(64);
    for (int attempt = 0; attempt < kTableAttempts; ++attempt) {
        size = static_cast<DWORD>(buffer.size());
        DWORD result = read(buffer.data(), &size);
        if (result == NO_ERROR)
            return buffer;
        if (result != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size())
            return std::nullopt;
        buffer.resize(size);
    }
    return std::nullopt;
}

// Ports lie in the first two bytes of their 32-bit field, high byte first.
uint16_t PortOf(DWORD field) {
    unsigned char bytes[4];
    std::memcpy(bytes, &field, 4);
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

void CopyV4(DWORD address, std::array<uint8_t, 16>& out) {
    std::memcpy(out.data(), &address, 4);
}

void AddTcp4(std::vector<Endpoint>& out) {
    auto table = ReadTable([](void* b, DWORD* s) {
        return GetExtendedTcpTable(b, s, TRUE, AF_INET, TCP_TABLE_OWNER_PID_ALL, 0);
    });
    if (!table)
        return;
    const auto* t = reinterpret_cast<const MIB_TCPTABLE_OWNER_PID*>(table->data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
        const MIB_TCPROW_OWNER_PID& row = t->table[i];
        Endpoint e;
        CopyV4(row.dwLocalAddr, e.localAddress);
        CopyV4(row.dwRemoteAddr, e.remoteAddress);
        e.localPort = PortOf(row.dwLocalPort);
        // A listening socket has no remote end; netstat shows port 0 whatever lies there.
        e.remotePort = row.dwState == MIB_TCP_STATE_LISTEN ? 0 : PortOf(row.dwRemotePort);
        e.state = row.dwState;
        e.pid = row.dwOwningPid;
        out.push_back(e);
    }
}

void AddTcp6(std::vector<Endpoint>& out) {
    auto table = ReadTable([](void* b, DWORD* s) {
        return GetExtendedTcpTable(b, s, TRUE, AF_INET6, TCP_TABLE_OWNER_PID_ALL, 0);
    });
    if (!table)
        return;
    const auto* t = reinterpret_cast<const MIB_TCP6TABLE_OWNER_PID*>(table->data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
        const MIB_TCP6ROW_OWNER_PID& row = t->table[i];
        Endpoint e;
        e.ipv6 = true;
        std::memcpy(e.localAddress.data(), row.ucLocalAddr, 16);
        std::memcpy(e.remoteAddress.data(), row.ucRemoteAddr, 16);
        e.localScope = row.dwLocalScopeId;
        e.remoteScope = row.dwRemoteScopeId;
        e.localPort = PortOf(row.dwLocalPort);
        e.remotePort = row.dwState == MIB_TCP_STATE_LISTEN ? 0 : PortOf(row.dwRemotePort);
        e.state = row.dwState;
        e.pid = row.dwOwningPid;
        out.push_back(e);
    }
}

void AddUdp4(std::vector<Endpoint>& out) {
    auto table = ReadTable([](void* b, DWORD* s) {
        return GetExtendedUdpTable(b, s, TRUE, AF_INET, UDP_TABLE_OWNER_PID, 0);
    });
    if (!table)
        return;
    const auto* t = reinterpret_cast<const MIB_UDPTABLE_OWNER_PID*>(table->data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
        Endpoint e;
        e.tcp = false;
        CopyV4(t->table[i].dwLocalAddr, e.localAddress);
        e.localPort = PortOf(t->table[i].dwLocalPort);
        e.pid = t->table[i].dwOwningPid;
        out.push_back(e);
    }
}

void AddUdp6(std::vector<Endpoint>& out) {
    auto table = ReadTable([](void* b, DWORD* s) {
        return GetExtendedUdpTable(b, s, TRUE, AF_INET6, UDP_TABLE_OWNER_PID, 0);
    });
    if (!table)
        return;
    const auto* t = reinterpret_cast<const MIB_UDP6TABLE_OWNER_PID*>(table->data());
    for (DWORD i = 0; i < t->dwNumEntries; ++i) {
        Endpoint e;
        e.tcp = false;
        e.ipv6 = true;
        std::memcpy(e.localAddress.data(), t->table[i].ucLocalAddr, 16);
        e.localScope = t->table[i].dwLocalScopeId;
        e.localPort = PortOf(t->table[i].dwLocalPort);
        e.pid = t->table[i].dwOwningPid;
        out.push_back(e);
    }
}

}  // namespace

std::vector<Endpoint> ReadSystemEndpoints() {
    std::vector<Endpoint> endpoints;
    AddTcp4(endpoints);
    AddTcp6(endpoints);
    AddUdp4(endpoints);
    AddUdp6(endpoints);
    return endpoints;
}

CaptureResult CaptureSnapshotListing(const std::string& commandLine) {
    CaptureResult result = RunAndCapture(commandLine);
    if (NeedsSystemTables(result))
        result.output =
            RenderNetstatListing(ReadSystemEndpoints(), ListingOptionsOfCommand(commandLine));
    return result;
}

}  // namespace portlight
