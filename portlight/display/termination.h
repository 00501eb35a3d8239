// Ending TCP connections and processes: the connection menu caption read back into its four
// parts, the system's TCP table rows compared with it, the icon menu's terminate commands
// with their "Terminate All" rules, and the check that a process id still names the program
// the last snapshot saw. The system itself is reached through TerminationSystem.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/connection_table.h"
#include "display/icon_menu.h"

namespace portlight {

// The four parts of a connection menu caption
// "R:(" remote address " : " remote port ") L:(" local address " : " local port ")".
struct ConnectionCaption {
    std::string remoteAddress;
    std::string remotePort;
    std::string localAddress;
    std::string localPort;
};
ConnectionCaption ParseConnectionCaption(std::string_view caption);

// One row of the IP Helper TCP table (MIB_TCPROW): a 32-bit state and four 4-byte fields
// as they lie in memory.
using TcpField = std::array<uint8_t, 4>;
struct TcpTableRow {
    uint32_t state = 0;
    TcpField localAddress{};
    TcpField localPort{};
    TcpField remoteAddress{};
    TcpField remotePort{};
};
// The state that asks SetTcpEntry to delete the connection (MIB_TCP_STATE_DELETE_TCB).
inline constexpr uint32_t kTcpStateDeleteTcb = 12;

// Bytes 0 and 1 of a port field, high byte first: 0..65535, never negative.
uint16_t PortFromBytes(const TcpField& field);
// The four bytes in memory order as dotted decimal text: 127.0.0.1.
std::string AddressFromBytes(const TcpField& field);

// The first row whose remote port, remote address, local port and local address, as text,
// equal the caption's parts; nullopt without a match.
std::optional<size_t> FindConnectionRow(const ConnectionCaption& caption,
                                        const std::vector<TcpTableRow>& rows);

// A process opened to be ended. While it is held, its id cannot pass to another process.
class OpenedProcess {
  public:
    virtual ~OpenedProcess() = default;
    // The executable path, read the way the snapshot read it; empty when unreadable.
    virtual std::string Path() = 0;
    virtual void Terminate() = 0;
};

// What termination asks of the system.
class TerminationSystem {
  public:
    virtual ~TerminationSystem() = default;
    // The whole TCP table, sorted; nullopt when it cannot be read.
    virtual std::optional<std::vector<TcpTableRow>> ReadTcpTable() = 0;
    // SetTcpEntry's own result: 0 is success.
    virtual uint32_t SetTcpEntry(const TcpTableRow& row) = 0;
    // Opens process `pid` with the terminate and limited query rights; null on failure.
    virtual std::unique_ptr<OpenedProcess> OpenForTermination(uint32_t pid) = 0;
    virtual void Beep() = 0;
};

// The path the last snapshot recorded for process `pid` (the first row of that PID whose
// category is "Normal"); empty when it recorded none.
std::string RecordedPathOf(const ConnectionTable& table, uint32_t pid);

// Which entry of the icon menu was chosen.
enum class TerminateCommand { kConnection, kConnectionAll, kProcess, kProcessAll };

class Termination {
  public:
    // `table` is the last completed snapshot's; `startSnapshot` runs cmdNetstats, which
    // does nothing while a snapshot runs.
    Termination(const ConnectionTable& table,
                TerminationSystem& system,
                std::function<void()> startSnapshot);

    // Ends the connection a menu caption names: set to the delete state, a snapshot
    // started, the beep when the system reports success. True when a row matched.
    bool DeleteConnection(std::string_view caption);
    // Ends process `pid` when it is still the program the last snapshot recorded for that
    // id (same executable path, letter case ignored); otherwise does nothing. True when it
    // was ended.
    bool KillProcess(uint32_t pid);
    // An entry of the icon menu's two terminate submenus; `index` is the entry's position
    // for the single-entry commands.
    void RunMenuCommand(const IconMenu& menu, TerminateCommand command, int index);
    // "Terminate" in the details window: the leading number of the termination target.
    bool TerminateFromDetails(std::string_view target);

  private:
    const ConnectionTable& table_;
    TerminationSystem& system_;
    std::function<void()> startSnapshot_;
};

}  // namespace portlight
