// Carries out a removal plan through a narrow interface to the machine, and tells the outcome:
// what is gone, what could not be removed and why, what stays on purpose. The Win32 side
// implements the interface on the real file system and registry; tests use a fake.
#pragma once

#include <string>
#include <vector>

#include "uninstall/removal_plan.h"

namespace stepwise {

enum class RemoveOutcome {
    Removed,
    Missing,       // already gone: nothing to do
    InUse,         // held open by a running program (sharing or lock violation)
    AccessDenied,  // read-only media, permissions, a running program's image
    NotEmpty,      // a folder that still holds other files
    Failed,        // any other refusal
};

class RemovalTarget {
  public:
    virtual ~RemovalTarget() = default;
    virtual RemoveOutcome RemoveFile(const std::string& path) = 0;
    // Removes the folder with everything inside; every item that stays is added to `stuck`.
    virtual RemoveOutcome DeleteTree(const std::string& folder,
                                     std::vector<std::pair<std::string, RemoveOutcome>>& stuck) = 0;
    virtual RemoveOutcome RemoveEmptyFolder(const std::string& folder) = 0;
    // Keys under HKEY_LOCAL_MACHINE.
    virtual RemoveOutcome DeleteKeyTree(const std::string& key) = 0;
    virtual RemoveOutcome DeleteKeyIfEmpty(const std::string& key) = 0;
};

struct NotRemoved {
    std::string item;
    RemoveOutcome outcome;
};

struct RemovalReport {
    std::vector<std::string> removed;      // files, groups, keys and folders gone now
    std::vector<NotRemoved> failed;        // listed for removal, still there
    std::vector<std::string> leftFolders;  // logged folders that still hold other files
    std::vector<KeptItem> kept;            // kept on purpose (from the plan)
    bool uninstallEntryKept = false;       // kept because something failed: run it again later

    bool complete() const { return failed.empty(); }
};

// Order: files, program groups, product key (then its empty parents). When nothing failed so
// far, the uninstall key and the log follow; otherwise both stay so the user can run the
// uninstallation again after closing the programs that hold files. Folders come last.
RemovalReport RunRemoval(const RemovalPlan& plan, RemovalTarget& target);

// Exit codes of wizuninst.exe.
constexpr int kExitRemoved = 0;    // everything listed is removed (or was already gone)
constexpr int kExitCancelled = 1;  // the user answered No
constexpr int kExitPartly = 2;     // some items could not be removed (in use, denied)
constexpr int kExitBadLog = 3;     // the log is missing, unreadable or not an installation log
constexpr int kExitUsage = 4;      // no log named, or an unknown option

int ExitCodeFor(const RemovalReport& report);

// The product's name as the log gives it: the last level of the uninstall key ("" if none).
std::string ProductNameFrom(const InstallLog& log);

// The confirmation question and the one summary message of the interactive run.
// `damagedLines` > 0 adds a warning that the log is damaged and some items may stay.
std::string ConfirmationText(const std::string& product, int damagedLines = 0);
std::string SummaryText(const RemovalReport& report, const std::string& product);

}  // namespace stepwise
