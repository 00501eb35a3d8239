// The command line of Stepwise.exe and the exit codes of an unattended run.
//   Stepwise.exe                              the wizard
//   Stepwise.exe /S [/D=<folder>] [/LOG=<file>]   unattended: no page, no message box
//   Stepwise.exe /?                           lists the options
// The exit codes are shared with wizuninst.exe (see uninstall/removal_run.h): 0 to 4 mean
// the same for both programs.
#pragma once

#include <string>
#include <string_view>

namespace stepwise {

constexpr int kSetupSucceeded = 0;     // everything installed
constexpr int kSetupCancelled = 1;     // stopped on request before the end (WM_CLOSE, log-off)
constexpr int kSetupFailed = 2;        // some items could not be installed; see the log
constexpr int kSetupCannotRun = 3;     // script, payload or machine unusable; nothing installed
constexpr int kSetupUsage = 4;         // bad command line
constexpr int kSetupNeedsRestart = 5;  // installed; Windows must restart to complete it

struct SetupCommand {
    bool silent = false;
    bool help = false;
    std::string installFolder;  // /D=, without trailing backslash; "" keeps the script's
    std::string logPath;        // /LOG=; "" takes the default
    std::string error;          // a usage error; the other fields are then unreliable
};

// `arguments` is WinMain's command line. Option names take any case; a value may be quoted
// ("/D=C:\My Apps\Acme" or /D="C:\My Apps\Acme"), and an unquoted value runs on over blanks
// up to the next option, so /D=C:\Program Files\Acme works as typed.
SetupCommand ParseSetupCommand(std::string_view arguments);

std::string SetupHelpText();

// What an unattended run came to, and its exit code.
struct SetupOutcome {
    bool couldNotRun = false;  // before anything was installed
    bool cancelled = false;
    int failures = 0;  // items not installed (downloads included)
    bool restartNeeded = false;
};
int SetupExitCode(const SetupOutcome& outcome);

// "<temp folder>stepwise-setup.log": the log of an unattended run without /LOG=.
std::string DefaultSetupLogPath(const std::string& tempFolder);

}  // namespace stepwise
