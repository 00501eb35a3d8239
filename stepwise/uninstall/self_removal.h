// wizuninst.exe removes its own copy from the System folder once it has ended. A running
// program's image cannot be deleted, and a delete scheduled for the next restart
// (MOVEFILE_DELAY_UNTIL_REBOOT) needs administrator rights and leaves the file until then.
// So the program writes a small batch file into the temporary folder and starts it hidden
// just before it exits: the batch retries deleting the program until its image is released
// (a bounded number of tries), then deletes itself. Nothing waits on a clock.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace stepwise {

// Tries of the batch's delete loop. Each try is one `del` of a file that stays locked only
// until the uninstaller's process has ended, a few milliseconds after the batch starts; the
// bound keeps the batch from spinning for ever should something else keep the file open.
constexpr int kSelfDeleteTries = 20000;

// The batch text that deletes `program`, then the batch `script` itself; nothing when either
// path holds characters the command interpreter would expand or split (%, ", line breaks).
std::optional<std::string> SelfRemovalScript(const std::string& program, const std::string& script);

// True when `program` lies right in one of the System folders: only the installed copy
// removes itself, never one started from a setup disk or a build folder.
bool IsInstalledCopy(const std::string& program, const std::vector<std::string>& systemFolders);

// True when another installed product's "UninstallString" still starts this copy: products
// installed by Stepwise share the one wizuninst.exe of the System folder.
bool SharedWithOtherProducts(const std::string& program,
                             const std::vector<std::string>& uninstallStrings);

}  // namespace stepwise
