// The command line of wizuninst.exe and its help text.
//   wizuninst.exe "<folder>\install.log"      asks once, removes, shows one summary
//   wizuninst.exe /S "<folder>\install.log"   silent: the outcome is the exit code only
//   wizuninst.exe /?                          shows the help text
#pragma once

#include <string>
#include <string_view>

namespace stepwise {

struct UninstallCommand {
    bool silent = false;
    bool help = false;
    std::string logPath;
    std::string error;  // a usage error for the user; the other fields are then unreliable
};

// `arguments` is the command line after the program's name (WinMain's command line).
UninstallCommand ParseUninstallCommand(std::string_view arguments);

std::string UninstallHelpText();

}  // namespace stepwise
