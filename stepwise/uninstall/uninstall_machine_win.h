// The uninstaller's view of the real machine: the standard folders from the shell, the log
// file's text, and the removal of files, folders and keys under HKEY_LOCAL_MACHINE.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "uninstall/removal_plan.h"
#include "uninstall/removal_run.h"

namespace stepwise {

// The standard shell folders, the Windows, System and Start menu folders, the temporary
// folder; long names, lower case in the system code page.
MachineFolders ReadMachineFolders();

// A full path's long form (8.3 names resolved when the path exists), lower case in the system
// code page, so it compares with the machine's folders whatever the log spelled.
std::string CanonicalPath(const std::string& path);

// The whole file, or an error text for the user.
std::optional<std::string> ReadLogFile(const std::string& path, std::string& error);

// "UninstallString" of every entry in Windows' list of installed programs.
std::vector<std::string> InstalledUninstallStrings();

class MachineTarget : public RemovalTarget {
  public:
    RemoveOutcome RemoveFile(const std::string& path) override;
    RemoveOutcome DeleteTree(const std::string& folder,
                             std::vector<std::pair<std::string, RemoveOutcome>>& stuck) override;
    RemoveOutcome RemoveEmptyFolder(const std::string& folder) override;
    RemoveOutcome DeleteKeyTree(const std::string& key) override;
    RemoveOutcome DeleteKeyIfEmpty(const std::string& key) override;
};

}  // namespace stepwise
