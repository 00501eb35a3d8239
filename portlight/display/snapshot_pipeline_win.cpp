#include "display/snapshot_pipeline_win.h"

#include "display/version_info_win.h"

namespace portlight {

int GroupSlotsWithVersions(const ConnectionTable& table,
                           const GroupingOptions& options,
                           std::vector<IconSlot>& slots,
                           ProcessFacts* facts) {
    VersionFileDescriptions reader;
    SnapshotDescriptionSource descriptions(reader);
    if (!facts)
        return GroupIntoSlots(table, options, descriptions, slots);
    RememberingDescriptionSource remembered(*facts, descriptions);
    return GroupIntoSlots(table, options, remembered, slots);
}

}  // namespace portlight
