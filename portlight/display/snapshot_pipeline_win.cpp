#include "display/snapshot_pipeline_win.h"

#include "capture/process_system_win.h"
#include "display/version_info_win.h"

namespace portlight {

void BuildTableFromSystem(std::string_view listing, ConnectionTable& table) {
    Win32ProcessSystem system;
    SnapshotProcessLookup lookup(system);
    BuildConnectionTable(listing, lookup, table);
}

int GroupSlotsWithVersions(const ConnectionTable& table,
                           const GroupingOptions& options,
                           std::vector<IconSlot>& slots) {
    VersionFileDescriptions reader;
    SnapshotDescriptionSource descriptions(reader);
    return GroupIntoSlots(table, options, descriptions, slots);
}

}  // namespace portlight
