#include "capture/system_table_win.h"

#include <windows.h>

#include "common/win32/handles_win.h"

namespace portlight {

void BuildTableFromSystem(std::string_view listing, ConnectionTable& table) {
    Win32ProcessSystem system;
    SnapshotProcessLookup lookup(system);
    BuildConnectionTable(listing, lookup, table);
}

namespace {

// 100-ns units since 1601; 0 when the process cannot be opened with the limited query right.
uint64_t CreationTimeOf(uint32_t pid) {
    if (pid == 0)
        return 0;
    win32::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME created, exited, kernel, user;
    if (!process || !GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
        return 0;
    return static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

}  // namespace

SystemTableBuilder::SystemTableBuilder() : remembering_(system_, CreationTimeOf) {}

void SystemTableBuilder::Build(std::string_view listing, ConnectionTable& table) {
    SnapshotProcessLookup lookup(remembering_);
    BuildConnectionTable(listing, lookup, table);
    remembering_.EndSnapshot();
}

}  // namespace portlight
