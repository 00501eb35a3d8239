// Entry point of wizuninst.exe, the uninstaller of programs installed by Stepwise. Windows
// starts it with the quoted path of the product's install.log (see uninstall_command.h for
// the options and removal_run.h for the exit codes).
#include <windows.h>

#include <string>

#include "uninstall/install_log.h"
#include "uninstall/removal_plan.h"
#include "uninstall/removal_run.h"
#include "uninstall/self_removal_win.h"
#include "uninstall/uninstall_command.h"
#include "uninstall/uninstall_machine_win.h"

namespace {

using namespace stepwise;

std::string Caption(const std::string& product) {
    return product.empty() ? std::string("Uninstall") : "Uninstall " + product;
}

int Show(const std::string& text, const std::string& product, UINT style) {
    return MessageBoxA(nullptr, text.c_str(), Caption(product).c_str(), style | MB_SETFOREGROUND);
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return (length == 0 || length >= MAX_PATH) ? path : std::string(full, length);
}

// Log paths in the machine's spelling (long names, lower case in the system code page).
InstallLog Canonical(InstallLog log) {
    for (auto& folder : log.folders)
        folder = CanonicalPath(folder);
    for (auto& path : log.paths)
        path = CanonicalPath(path);
    return log;
}

int Run(const char* commandLine) {
    UninstallCommand command = ParseUninstallCommand(commandLine ? commandLine : "");
    if (command.help) {
        Show(UninstallHelpText(), "", MB_OK | MB_ICONINFORMATION);
        return kExitRemoved;
    }
    if (!command.error.empty()) {
        if (!command.silent)
            Show(command.error + "\n\n" + UninstallHelpText(), "", MB_OK | MB_ICONERROR);
        return kExitUsage;
    }

    std::string logPath = FullPath(command.logPath);
    std::string error;
    auto text = ReadLogFile(logPath, error);
    InstallLogRead read;
    if (text)
        read = ParseInstallLog(*text);
    if (!read.log) {
        if (!command.silent)
            Show(text ? logPath + "\n\n" + read.error : error, "", MB_OK | MB_ICONERROR);
        return kExitBadLog;
    }

    std::string product = ProductNameFrom(*read.log);
    if (!command.silent && Show(ConfirmationText(product, read.log->damagedLines), product,
                                MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kExitCancelled;

    RemovalPlan plan =
        PlanRemoval(Canonical(*read.log), ReadMachineFolders(), CanonicalPath(logPath));
    MachineTarget machine;
    RemovalReport report = RunRemoval(plan, machine);
    if (!command.silent)
        Show(SummaryText(report, product), product,
             MB_OK | (report.complete() ? MB_ICONINFORMATION : MB_ICONWARNING));
    return ExitCodeFor(report);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // A process's current folder cannot be removed: leave the product's folders before
    // anything else (a shortcut may have started us inside the installation folder).
    char system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryA(system);

    int code = Run(commandLine);
    if (code == kExitRemoved && commandLine && !ParseUninstallCommand(commandLine).help)
        RemoveOwnCopyAfterExit();
    return code;
}
