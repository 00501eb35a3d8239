// Path rules of the installer's start-up: where the script files are looked for, the
// temporary folder's fallback, and the folder tokens of the default installation folder.
#pragma once

#include <string>

namespace stepwise {

// The folders that may stand in APPINFO "5" as tokens.
struct FolderTokens {
    std::string windowsFolder;  // "<Windows Directory>"
    std::string windowsDisk;    // "<Windows Disk>", e.g. "C:"
    std::string systemFolder;   // "<Shared DLLs>"
    std::string programFiles;   // "<Program Files>"
    std::string commonFiles;    // "<Common Files Directory>"
};

// A file in the setup folder: appended directly when the folder is a drive root ("A:\"),
// otherwise after a backslash, so a root never gives a doubled backslash.
std::string ScriptFilePath(const std::string& setupFolder, const std::string& name);

// The first two characters of the Windows folder ("C:").
std::string WindowsDiskOf(const std::string& windowsFolder);

// GetTempPathA's answer, or the Windows folder + "\temp\" when it is empty; always ends with
// a backslash.
std::string TempFolderFrom(const std::string& tempPath, const std::string& windowsFolder);

// APPINFO "5" with one trailing backslash removed and every folder token replaced.
std::string DefaultInstallFolderFrom(const std::string& appInfo5, const FolderTokens& tokens);

// Replaces every occurrence of `token` in `text` (case-sensitive, left to right; replaced
// text is not scanned again).
std::string ReplaceAll(const std::string& text,
                       const std::string& token,
                       const std::string& replacement);

}  // namespace stepwise
