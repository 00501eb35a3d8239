// Entry point of Stepwise.exe.
#include <windows.h>

#include "app/installer_app_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    stepwise::InstallerApp app(instance);
    // Checks, extraction and the wizard; the program ends when the wizard closes.
    app.Start();
    return 0;
}
