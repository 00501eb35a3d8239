// A snapshot of the Wine prefix as a list of text lines: every file and folder of drive C
// (path and size) and every key and value of HKEY_LOCAL_MACHINE\Software and
// HKEY_CURRENT_USER, so two snapshots can be compared line by line.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace e2e {

using Snapshot = std::set<std::string>;

// `skip` leaves out a line (and, for a folder or key, everything below it) when it answers
// true; lines are lower case.
Snapshot TakeSnapshot(const std::function<bool(const std::string&)>& skip);

// Lines of `a` missing from `b`.
std::vector<std::string> Missing(const Snapshot& a, const Snapshot& b);

}  // namespace e2e
