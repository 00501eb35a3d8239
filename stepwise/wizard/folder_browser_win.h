// The destination page's folder browser: the shell's browser for file-system folders with an
// edit box for a typed path, which is checked (and created on request) before it is taken.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace stepwise {

constexpr char kBrowserCaption[] = "Corvane Stepwise";
constexpr char kBrowserTitle[] = "Choose destination directory...";

// The folder chosen, or nullopt when the browser was cancelled.
std::optional<std::string> BrowseForDestination(HWND owner, const std::string& initialFolder);

// Creates every missing level of a valid path; true when the folder exists afterwards.
bool CreateFolderLevels(const std::string& path);

}  // namespace stepwise
