// Any netstat output must give a table within its bounds, with consistent rows, whatever
// the lines look like.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"

namespace {

using namespace portlight;

// Answers every id: even ids have a path, others a name.
class AnyProcess : public ProcessSystem {
  public:
    std::vector<uint32_t> EnumerateProcessIds() override { return {2, 4, 6, 884, 1040}; }
    std::string ReadMainModulePath(uint32_t pid) override {
        return pid % 4 == 0 ? "C:\\p" + std::to_string(pid) + ".exe" : "";
    }
    std::vector<std::pair<uint32_t, std::string>> SnapshotProcessNames() override {
        return {{2, "[System Process]"}, {6, "svc.exe  trailing"}, {7, ""}};
    }
};

class Descriptions : public FileDescriptionSource {
  public:
    std::string FileDescription(const std::string& path) override {
        return path.size() % 2 ? "Same Description" : "";
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ConnectionTable table;
    AnyProcess system;
    SnapshotProcessLookup lookup(system);
    std::string_view listing(reinterpret_cast<const char*>(data), size);
    BuildConnectionTable(listing, lookup, table);
    if (table.ConnectionCount < 0 || table.ConnectionCount > kConnectionRows)
        std::abort();
    for (int r = 0; r < kConnectionRows; ++r) {
        bool filled = !table.rows[r][kColProtocol].empty();
        if (filled != (r < table.ConnectionCount))
            std::abort();
        if (filled && table.rows[r][kColCategory].empty())
            std::abort();
    }
    std::vector<IconSlot> slots(8);
    Descriptions descriptions;
    int filledSlots =
        GroupIntoSlots(table, {size % 2 == 0, ParseUnknownFilter("ShowAll")}, descriptions, slots);
    int rows = 0;
    for (int i = 0; i < filledSlots; ++i) {
        if (slots[i].rowList.size() != 3 * static_cast<size_t>(slots[i].count))
            std::abort();
        rows += slots[i].count;
    }
    if (rows > table.ConnectionCount)
        std::abort();
    return 0;
}
