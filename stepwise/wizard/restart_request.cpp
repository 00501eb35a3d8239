#include "wizard/restart_request.h"

namespace stepwise {

std::string RequestRestart(ShutdownCalls& calls) {
    if (!calls.EnableShutdownPrivilege())
        return "Windows could not be restarted: this account may not shut down the computer. "
               "Please restart your system yourself.";
    // Not forced: a forced restart throws away unsaved work in every other open program.
    if (!calls.RequestExit(kExitReboot))
        return "Windows refused to restart now. Please close your programs and restart your "
               "system yourself.";
    return "";
}

}  // namespace stepwise
