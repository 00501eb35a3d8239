// The table step of a snapshot against the real system.
#pragma once

#include <string_view>

#include "capture/connection_table.h"
#include "capture/process_facts.h"
#include "capture/process_system_win.h"

namespace portlight {

// Builds the table with lookups that ask the system once per snapshot and once per process.
void BuildTableFromSystem(std::string_view listing, ConnectionTable& table);

// A running process's creation time (100-ns units since 1601), or 0 when it cannot be opened
// with the limited query right or has ended.
uint64_t ProcessCreationTime(uint32_t pid);

// The same, for the bar's snapshots one after the other: a process's owner and path are read
// once while it lives (kept in `facts`, which the caller ends each snapshot on).
class SystemTableBuilder {
  public:
    explicit SystemTableBuilder(ProcessFacts& facts);
    void Build(std::string_view listing, ConnectionTable& table);

  private:
    ProcessFacts& facts_;
    Win32ProcessSystem system_;
};

}  // namespace portlight
