// Groups the connection table into icon slots: one slot per program (or per process id),
// keyed by the executable's file description.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "capture/connection_table.h"

namespace portlight {

// Which stock or drawn picture a slot shows.
enum class SlotPicture {
    kProcessIcon,  // the executable's own icon (LoadProcessIcon), picDefault when it has none
    kSystem,
    kProtected,
    kUnknown,
};

// One icon slot as data; the strip's image and count button show it.
struct IconSlot {
    std::string hoverText;  // the grouping key, shown as the tool-tip
    std::string path;       // process path of the row that created the slot
    int count = 0;          // number of table rows in the slot
    std::string rowList;    // the slot's row numbers, three digits each, in table order
    SlotPicture picture = SlotPicture::kUnknown;
    bool visible = false;

    void Reset() { *this = IconSlot(); }
};

// Reads the file description of an executable (the version reader on the Win32 side).
class FileDescriptionSource {
  public:
    virtual ~FileDescriptionSource() = default;
    virtual std::string FileDescription(const std::string& path) = 0;
    // The description for a row of process `pid`; a source that keeps what a process yields
    // across snapshots tells processes apart by it.
    virtual std::string FileDescriptionOf(uint32_t pid, const std::string& path) {
        return FileDescription(path);
    }
};

// Remembers descriptions for one grouping walk; the same executable owns many rows.
class SnapshotDescriptionSource : public FileDescriptionSource {
  public:
    explicit SnapshotDescriptionSource(FileDescriptionSource& inner) : inner_(inner) {}
    std::string FileDescription(const std::string& path) override;

  private:
    FileDescriptionSource& inner_;
    std::unordered_map<std::string, std::string> descriptions_;
};

// The "Unknown Files" option: which rows without a usable executable get a slot.
enum class UnknownFilter {
    kHideAll,       // "All" (the default): none
    kShowAll,       // "ShowAll" and any unrecognised value: all
    kHideNoPid,     // "NoPID": all except owner id 0
    kHideKnownPid,  // "KnownPID": only owner id 0
};
UnknownFilter ParseUnknownFilter(std::string_view optionValue);

struct GroupingOptions {
    bool segmentPid = false;
    UnknownFilter unknown = UnknownFilter::kHideAll;
};

// Row number as exactly three digits ("000".."500").
std::string ThreeDigitRow(int row);

// Fills `slots` (indices 0..slots.size()-1, i.e. IconSlotCount + 1 of them, all reset first)
// from all 501 rows of `table`. Returns the number of filled slots. Once every slot is taken,
// further rows are left off even when they belong to an existing slot.
int GroupIntoSlots(const ConnectionTable& table,
                   const GroupingOptions& options,
                   FileDescriptionSource& descriptions,
                   std::vector<IconSlot>& slots);

// The row numbers held in a row list ("000003017" -> 0, 3, 17); malformed groups are skipped.
std::vector<int> RowsOfRowList(std::string_view rowList);

}  // namespace portlight
