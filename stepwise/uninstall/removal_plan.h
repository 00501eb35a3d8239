// What an uninstallation removes, worked out from an install.log before anything is touched:
// the logged files and shortcuts, the program group with its contents, the product key and
// the uninstall key, and the logged folders deepest first. Standard folders of the machine,
// drive roots, shared DLLs in the System folder and shared INI files stay, whatever the log
// says, so a damaged or hostile log cannot empty the machine.
#pragma once

#include <string>
#include <vector>

#include "uninstall/install_log.h"

namespace stepwise {

// The machine's folders the plan must know, as full paths (any letter case, with or without a
// trailing backslash). The Win32 side fills it from the shell.
struct MachineFolders {
    std::string windows;                // the Windows folder
    std::vector<std::string> system;    // the System folder (and its WOW64 twin)
    std::vector<std::string> programs;  // Start menu "Programs", per user and common
    std::vector<std::string> standard;  // every other standard shell folder
};

enum class KeepReason {
    StandardFolder,  // a standard shell folder, a drive root or a folder above one
    SystemDll,       // a DLL in the System folder, shared with other programs
    SharedIni,       // a shared settings file (win.ini...) the script wrote an entry into
    NotFullPath,     // not a full path with a drive letter: nothing to resolve it against
    UnsafeKey,       // a registry key the installer cannot have created for one product
};

struct KeptItem {
    std::string item;
    KeepReason reason;
};

struct RemovalPlan {
    std::vector<std::string> files;            // logged files and shortcuts, in log order
    std::vector<std::string> groups;           // program groups, removed with their contents
    std::string productKey;                    // HKLM, removed with its subkeys ("" = none)
    std::vector<std::string> emptyParentKeys;  // above the product key, removed when empty
    std::string uninstallKey;                  // HKLM, removed with its subkeys ("" = none)
    std::string logFile;                       // the log itself, removed when all else went well
    std::vector<std::string> folders;          // removed when empty, deepest first
    std::vector<KeptItem> kept;                // what the log lists but stays
};

// `logPath` is the log the plan was read from; it is removed last, and only when it is
// called install.log.
RemovalPlan PlanRemoval(const InstallLog& log,
                        const MachineFolders& machine,
                        const std::string& logPath);

// Path helpers, exposed for tests and the Win32 side.
// Lower case (ASCII), forward slashes turned, repeated and trailing backslashes dropped, "."
// and ".." resolved; "" when the path is not a full path with a drive letter ("c:\..." or
// "c:") or ".." climbs above the drive.
std::string NormalFolderPath(const std::string& path);
// The number of folder levels below the drive ("c:" 0, "c:\a" 1, "c:\a\b" 2).
int PathDepth(const std::string& normalPath);
// True when `inner` (normalised) lies inside `outer` (normalised), at any depth.
bool IsInside(const std::string& inner, const std::string& outer);

}  // namespace stepwise
