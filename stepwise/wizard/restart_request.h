// RestartDialog's "Yes": a normal restart that lets other programs ask to save their work,
// with the shutdown privilege enabled first, and a message when Windows refuses.
#pragma once

#include <string>

namespace stepwise {

// ExitWindowsEx flags, mirrored here so the logic builds without Windows headers.
constexpr unsigned kExitReboot = 0x02;       // EWX_REBOOT
constexpr unsigned kExitForce = 0x04;        // EWX_FORCE
constexpr unsigned kExitForceIfHung = 0x10;  // EWX_FORCEIFHUNG

// The system calls a restart needs; the test replaces them so no machine restarts.
class ShutdownCalls {
  public:
    virtual ~ShutdownCalls() = default;
    // Enables SeShutdownPrivilege in the process token; false when it could not be.
    virtual bool EnableShutdownPrivilege() = 0;
    // ExitWindowsEx; false when Windows refused the request.
    virtual bool RequestExit(unsigned flags) = 0;
};

// Asks for the restart; returns "" when Windows accepted it, else the message to show.
std::string RequestRestart(ShutdownCalls& calls);

}  // namespace stepwise
