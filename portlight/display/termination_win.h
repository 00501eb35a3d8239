// Termination against the real system: the IP Helper TCP table and SetTcpEntry, processes
// opened with the terminate and limited query rights, the default beep.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "display/termination.h"

namespace portlight {

class Win32TerminationSystem : public TerminationSystem {
  public:
    // The buffer is sized from what the system says it needs, and asked again while the
    // table grows between the two calls.
    std::optional<std::vector<TcpTableRow>> ReadTcpTable() override;
    // Wine returns success here without ending anything: its effect is checked, not its
    // result.
    uint32_t SetTcpEntry(const TcpTableRow& row) override;
    std::unique_ptr<OpenedProcess> OpenForTermination(uint32_t pid) override;
    void Beep() override;
};

}  // namespace portlight
