// The netstat command line of a snapshot and the words that describe what is monitored.
#pragma once

#include <string>
#include <string_view>

namespace portlight {

struct NetstatCommand {
    std::string commandLine;  // e.g. "netstat -on -p TCP"
    std::string monitorKind;  // e.g. "TCP Active ", used in the tray tool-tip
};

// `monitor` is the Monitor option ("All", "TCP", "UDP"; anything else acts as "All",
// compared exactly), `activeOnly` the ActiveOnly option read as a boolean.
NetstatCommand BuildNetstatCommand(std::string_view monitor, bool activeOnly);

// netstat's column header ends with the word PID: drop everything up to it, then the
// rest of that line.
std::string StripNetstatHeader(std::string_view output);

// The usual reading of a "True"/"False" option text (letter case ignored).
bool OptionIsTrue(std::string_view text);

}  // namespace portlight
