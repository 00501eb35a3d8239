#include "display/termination_win.h"

#include <iphlpapi.h>

#include <cstring>

#include "capture/process_system_win.h"
#include "common/win32/handles_win.h"

namespace portlight {

namespace {

// A table that keeps growing faster than it can be read is given up after a few rounds.
constexpr int kTcpTableAttempts = 8;

TcpTableRow FromSystemRow(const MIB_TCPROW& row) {
    TcpTableRow out;
    out.state = row.dwState;
    std::memcpy(out.localAddress.data(), &row.dwLocalAddr, 4);
    std::memcpy(out.localPort.data(), &row.dwLocalPort, 4);
    std::memcpy(out.remoteAddress.data(), &row.dwRemoteAddr, 4);
    std::memcpy(out.remotePort.data(), &row.dwRemotePort, 4);
    return out;
}

MIB_TCPROW ToSystemRow(const TcpTableRow& row) {
    MIB_TCPROW out = {};
    out.dwState = row.state;
    std::memcpy(&out.dwLocalAddr, row.localAddress.data(), 4);
    std::memcpy(&out.dwLocalPort, row.localPort.data(), 4);
    std::memcpy(&out.dwRemoteAddr, row.remoteAddress.data(), 4);
    std::memcpy(&out.dwRemotePort, row.remotePort.data(), 4);
    return out;
}

class Win32OpenedProcess : public OpenedProcess {
  public:
    Win32OpenedProcess(HANDLE process, uint32_t pid) : process_(process), pid_(pid) {}
    // Read as the snapshot read it, so the two paths compare. The handle held here keeps
    // the id from passing to another process meanwhile.
    std::string Path() override { return Win32ProcessSystem().ReadMainModulePath(pid_); }
    void Terminate() override { TerminateProcess(process_.get(), 0); }

  private:
    win32::KernelHandle process_;
    uint32_t pid_;
};

}  // namespace

std::optional<std::vector<TcpTableRow>> Win32TerminationSystem::ReadTcpTable() {
    ULONG size = 0;
    std::vector<unsigned char> buffer;
    for (int attempt = 0; attempt < kTcpTableAttempts; ++attempt) {
        buffer.resize(size < sizeof(MIB_TCPTABLE) ? sizeof(MIB_TCPTABLE) : size);
        size = static_cast<ULONG>(buffer.size());
        DWORD result = GetTcpTable(reinterpret_cast<MIB_TCPTABLE*>(buffer.data()), &size, TRUE);
        if (result == ERROR_INSUFFICIENT_BUFFER)
            continue;  // `size` now says what the table needs
        if (result != NO_ERROR)
            return std::nullopt;
        const auto* table = reinterpret_cast<const MIB_TCPTABLE*>(buffer.data());
        std::vector<TcpTableRow> rows;
        rows.reserve(table->dwNumEntries);
        for (DWORD i = 0; i < table->dwNumEntries; ++i)
            rows.push_back(FromSystemRow(table->table[i]));
        return rows;
    }
    return std::nullopt;
}

uint32_t Win32TerminationSystem::SetTcpEntry(const TcpTableRow& row) {
    MIB_TCPROW system = ToSystemRow(row);
    return ::SetTcpEntry(&system);
}

std::unique_ptr<OpenedProcess> Win32TerminationSystem::OpenForTermination(uint32_t pid) {
    // Only the rights used: terminating, and the limited query that still works where a
    // full-access open is refused.
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return nullptr;
    return std::make_unique<Win32OpenedProcess>(process, pid);
}

void Win32TerminationSystem::Beep() {
    MessageBeep(MB_OK);
}

}  // namespace portlight
