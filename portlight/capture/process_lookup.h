// Who owns a connection: the narrow interface over the process lookups, the owner rules that
// turn a process id into a category and a path, and a per-snapshot memo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "capture/text_split.h"

namespace portlight {

// What the operating system offers to identify processes, one call each: the process-status
// id list, the main-module path of one process and a tool-help snapshot of the names. The
// Win32 side implements it; tests and benchmarks hand in fakes.
class ProcessSystem {
  public:
    virtual ~ProcessSystem() = default;
    // Ids of all running processes (EnumProcesses with its growing buffer).
    virtual std::vector<uint32_t> EnumerateProcessIds() = 0;
    // Full path of the main module of `pid`, or empty text when it cannot be read.
    virtual std::string ReadMainModulePath(uint32_t pid) = 0;
    // Id and raw executable-name field of every process in one tool-help snapshot.
    virtual std::vector<std::pair<uint32_t, std::string>> SnapshotProcessNames() = 0;
};

// The two process lookups the table builder uses.
class ProcessLookup {
  public:
    virtual ~ProcessLookup() = default;
    // Full path of the main module of process `pid`, or empty text.
    virtual std::string GetProcessPath(uint32_t pid) = 0;
    // Executable name of process `pid` (see NormaliseProcessName), "System Process" for the
    // idle/system pseudo-process, or empty text when no process has that id or it is 0.
    virtual std::string GetProcessName(uint32_t pid) = 0;
};

// Asks the system afresh on every call: one enumeration per path, one tool-help snapshot per
// name. Right for a single lookup (a report, a menu); slow for a whole listing.
class DirectProcessLookup : public ProcessLookup {
  public:
    explicit DirectProcessLookup(ProcessSystem& system) : system_(system) {}
    std::string GetProcessPath(uint32_t pid) override;
    std::string GetProcessName(uint32_t pid) override;

  private:
    ProcessSystem& system_;
};

// Process categories, as stored in the connection table.
inline constexpr std::string_view kCategoryNormal = "Normal";
inline constexpr std::string_view kCategorySystem = "System";
inline constexpr std::string_view kCategoryProtected = "Protected";
inline constexpr std::string_view kCategoryUnknown = "UnKnown";
// The path of a row whose owner id is 0.
inline constexpr std::string_view kUnknownOwnerPath = "UnKnown File - PID=0";
inline constexpr std::string_view kSystemProcessName = "System Process";

// The tool-help name rules: trimmed; cut just after the first ".exe" (any letter case);
// otherwise a name holding both "system" and "process" becomes "System Process".
std::string NormaliseProcessName(std::string_view rawName);

struct ProcessOwner {
    std::string category;
    std::string path;
};

// The owner rules for one row: id 0 is "UnKnown" without any lookup; a readable module path
// is "Normal"; otherwise the name decides between "System" and "Protected" (an empty name,
// e.g. a process that has exited, is "Protected" with an empty path).
ProcessOwner IdentifyOwner(uint32_t pid, ProcessLookup& lookup);

// The lookups for one snapshot: the process list and the tool-help names are taken once, on
// first use, and each process id is looked up once. netstat lists a busy program once per
// socket, so this saves most of the work. Create one per snapshot: nothing outlives it, so a
// process started or ended since the last snapshot is seen as it is now.
class SnapshotProcessLookup : public ProcessLookup {
  public:
    explicit SnapshotProcessLookup(ProcessSystem& system) : system_(system) {}
    std::string GetProcessPath(uint32_t pid) override;
    std::string GetProcessName(uint32_t pid) override;

  private:
    ProcessSystem& system_;
    bool haveIds_ = false;
    std::unordered_set<uint32_t> ids_;
    bool haveNames_ = false;
    std::unordered_map<uint32_t, std::string> names_;
    std::unordered_map<uint32_t, std::string> paths_;
};

// True when `needle` occurs in `text`, letter case ignored (ASCII).
bool ContainsNoCase(std::string_view text, std::string_view needle);

}  // namespace portlight
