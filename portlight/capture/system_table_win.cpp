#include "capture/system_table_win.h"

#include <windows.h>

#include "common/win32/handles_win.h"

namespace portlight {

void BuildTableFromSystem(std::string_view listing, ConnectionTable& table) {
    Win32ProcessSystem system;
    SnapshotProcessLookup lookup(system);
    BuildConnectionTable(listing, lookup, table);
}

uint64_t ProcessCreationTime(uint32_t pid) {
    if (pid == 0)
        return 0;
    // An ended process lives on, id and times included, while any handle to it stays open
    // (the program that started it, say): it must not pass for the process netstat saw, whose
    // facts are remembered. The wait needs SYNCHRONIZE; where only the limited query right is
    // granted, the exit code tells (a process that ended with code 259 then passes as
    // running until the last handle closes, as the documentation warns).
    win32::KernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    bool ended = false;
    if (process) {
        ended = WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT;
    } else {
        process.reset(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        DWORD code = 0;
        ended = process && GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE;
    }
    FILETIME created, exited, kernel, user;
    if (!process || ended || !GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
        return 0;
    return static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

SystemTableBuilder::SystemTableBuilder(ProcessFacts& facts) : facts_(facts) {}

void SystemTableBuilder::Build(std::string_view listing, ConnectionTable& table) {
    SnapshotProcessLookup lookup(system_);
    BuildConnectionTable(
        listing, [&](uint32_t pid) { return facts_.Owner(pid, lookup); }, table);
}

}  // namespace portlight
