// The table and grouping steps of a snapshot against the real system.
#pragma once

#include <string_view>
#include <vector>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"

namespace portlight {

// Builds the table with lookups that ask the system once per snapshot and once per process.
void BuildTableFromSystem(std::string_view listing, ConnectionTable& table);

// Groups the table into slots, reading each executable's description once per walk.
int GroupSlotsWithVersions(const ConnectionTable& table,
                           const GroupingOptions& options,
                           std::vector<IconSlot>& slots);

}  // namespace portlight
