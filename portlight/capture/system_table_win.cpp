#include "capture/system_table_win.h"

#include "capture/process_system_win.h"

namespace portlight {

void BuildTableFromSystem(std::string_view listing, ConnectionTable& table) {
    Win32ProcessSystem system;
    SnapshotProcessLookup lookup(system);
    BuildConnectionTable(listing, lookup, table);
}

}  // namespace portlight
