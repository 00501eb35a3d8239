// The table step of a snapshot against the real system.
#pragma once

#include <string_view>

#include "capture/connection_table.h"

namespace portlight {

// Builds the table with lookups that ask the system once per snapshot and once per process.
void BuildTableFromSystem(std::string_view listing, ConnectionTable& table);

}  // namespace portlight
