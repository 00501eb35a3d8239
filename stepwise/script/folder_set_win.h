// Resolves the installer's folders from Windows: system folders, the temporary folder, the
// current directory, Program Files and Common Files from the registry, and shell folders.
#pragma once

#include <string>

#include "script/installer_context.h"

namespace stepwise {

// Windows folder, Windows disk and TempFolder (start-up step 2).
void ResolveBaseFolders(FolderSet& folders);
// SetupFolder: the current directory.
std::string CurrentFolder();
// System folder, Program Files and Common Files (step 4). Program Files stays empty when
// neither the registry nor the environment knows it.
void ResolveProgramFolders(FolderSet& folders);
// The six shell folders (step 6); a folder the shell does not know stays empty.
void ResolveShellFolders(FolderSet& folders);

// A string value of HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion; "" when
// the key or value cannot be read.
std::string CurrentVersionValue(const char* name);
std::string EnvironmentValue(const char* name);
bool FileExists(const std::string& path);

}  // namespace stepwise
