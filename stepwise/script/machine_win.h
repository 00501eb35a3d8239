// The machine checks against the running Windows, with their message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "script/installer_context.h"

namespace stepwise {

// The OsClass of the running Windows ("95", "98", "NT", "2000", "" or "ERRO").
std::string CurrentOsClass();

// SYSTEM "7": shows the platform message and returns false when the requirement fails.
bool RunPlatformCheck(const InstallerContext& context, HWND owner);
// SYSTEM "6", "5" and "1" in that order; each only warns with the script's own message.
void RunMachineWarnings(const InstallerContext& context, HWND owner);
// The same checks, each warning handed to `warn` instead of a message box.
void RunMachineWarnings(const InstallerContext& context,
                        const std::function<void(const std::string&)>& warn);

// A plain OK message box with the installer's caption.
void ShowMessage(HWND owner, const std::string& text);

}  // namespace stepwise
