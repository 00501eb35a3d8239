// The grouping step of a snapshot against the real system (the table step is
// capture/system_table_win.h).
#pragma once

#include <vector>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"
#include "capture/process_facts.h"

namespace portlight {

// Groups the table into slots, reading each executable's description once per walk, and,
// given `facts`, once per process life.
int GroupSlotsWithVersions(const ConnectionTable& table,
                           const GroupingOptions& options,
                           std::vector<IconSlot>& slots,
                           ProcessFacts* facts = nullptr);

}  // namespace portlight
