// The table step of a snapshot against the real system.
#pragma once

#include <string_view>

#include "capture/connection_table.h"
#include "capture/process_memo.h"
#include "capture/process_system_win.h"

namespace portlight {

// Builds the table with lookups that ask the system once per snapshot and once per process.
void BuildTableFromSystem(std::string_view listing, ConnectionTable& table);

// The same, for the bar's snapshots one after the other: a process's path is read once
// while it lives (keyed by its id and creation time).
class SystemTableBuilder {
  public:
    SystemTableBuilder();
    void Build(std::string_view listing, ConnectionTable& table);

  private:
    Win32ProcessSystem system_;
    RememberingProcessSystem remembering_;
};

}  // namespace portlight
