// The unattended installation: start-up without the background window, the payload
// extraction without the preparing window, the machine checks, and the installation with the
// script's defaults (Typical, its installation folder or /D=). No page and no message box:
// every question takes its default or fails into the plain-text log. The run stops between
// steps when its hidden window is asked to close (taskkill without /F, log-off).
#pragma once

#include <windows.h>

#include "silent/setup_command.h"

namespace stepwise {

// Returns the exit code (silent/setup_command.h).
int RunSilentInstall(HINSTANCE instance, const SetupCommand& command);

// A usage error of an unattended command line, written to the default log.
void LogUsageError(const SetupCommand& command);

}  // namespace stepwise
