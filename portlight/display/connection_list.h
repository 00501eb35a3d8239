// RefreshListofConnections as text: the two header lines, a blank line, then every line of
// the last snapshot's raw listing followed by its owner's process path, padded so that the
// paths line up in the details window's fixed-pitch font.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "capture/connection_table.h"

namespace portlight {

inline constexpr char kConnectionListHeader1[] =
    "Proto       Local                 Remote             Status          Process ID      Process "
    "Path";
inline constexpr char kConnectionListHeader2[] =
    "       Address : Port         Address : Port                                                  "
    "   ";
// The PID column is padded to this many characters before the process path.
inline constexpr int kPidColumnWidth = 16;

// One list line: the trimmed listing line, 16 minus the PID cell's length in spaces (none
// when the PID is longer) and the process path cell of `row`.
std::string ConnectionListLine(std::string_view listingLine, const ConnectionRow& row);

// The whole list. Listing lines pair with table rows in order; blank lines are not rows
// (the table skips them too) and are left out, and a last line without its line break
// still counts.
std::vector<std::string> ConnectionListLines(std::string_view listing,
                                             const ConnectionTable& table);

}  // namespace portlight
