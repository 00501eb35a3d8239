#include "display/snapshot_pipeline_win.h"

#include "display/version_info_win.h"

namespace portlight {

int GroupSlotsWithVersions(const ConnectionTable& table,
                           const GroupingOptions& options,
                           std::vector<IconSlot>& slots) {
    VersionFileDescriptions reader;
    SnapshotDescriptionSource descriptions(reader);
    return GroupIntoSlots(table, options, descriptions, slots);
}

}  // namespace portlight
