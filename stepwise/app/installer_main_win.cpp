// Entry point of Stepwise.exe.
#include <windows.h>

#include "app/installer_app_win.h"
#include "app/silent_install_win.h"
#include "silent/setup_command.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    stepwise::SetupCommand command = stepwise::ParseSetupCommand(commandLine ? commandLine : "");
    if (command.help) {
        MessageBoxA(nullptr, stepwise::SetupHelpText().c_str(), "Stepwise",
                    MB_OK | MB_ICONINFORMATION);
        return stepwise::kSetupSucceeded;
    }
    if (command.silent) {
        if (!command.error.empty()) {
            stepwise::LogUsageError(command);
            return stepwise::kSetupUsage;
        }
        return stepwise::RunSilentInstall(instance, command);
    }
    // The wizard takes no options: anything else on its command line is left alone.
    stepwise::InstallerApp app(instance);
    // Checks, extraction and the wizard; the program ends when the wizard closes.
    app.Start();
    return 0;
}
