// The destination page's rules: the 60-character display, the previous installation's folder
// taken from its uninstall command, and the folder browser's check of a typed path.
#pragma once

#include <string>
#include <vector>

namespace stepwise {

// Longer folders show their first 60 characters followed by "...".
constexpr std::size_t kDisplayedFolderLength = 60;
std::string DisplayedFolder(const std::string& folder);

// The folder of the log named in an "UninstallString" value: the argument after the first
// blank, without quotes and without its file name; "" when there is none.
std::string FolderFromUninstallString(const std::string& uninstallString);

// A typed path the browser accepts: a drive letter, a colon and a backslash, then components
// that are non-empty, neither begin nor end with a tab, a space or a dot, and hold none of
// " * / : < > ? \ |. A bare root ("C:\") is valid.
bool IsValidTypedFolder(const std::string& path);

// Every level of `path` below its root, shortest first ("C:\a\b" gives "C:\a", "C:\a\b"),
// so missing levels can be created in order.
std::vector<std::string> FolderLevels(const std::string& path);

// Whether a selected folder's path enables the browser's OK: it has a drive letter.
bool HasDriveLetter(const std::string& path);

std::string InvalidFolderMessage(const std::string& path);
std::string MissingFolderQuestion(const std::string& path);
std::string UncreatableFolderMessage(const std::string& path);

}  // namespace stepwise
