// Entry point of Stepwise.exe.
#include <windows.h>

#include "app/installer_app_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    stepwise::InstallerApp app(instance);
    app.Start();
    // The wizard opens here once it exists; until then the program ends after the checks.
    return 0;
}
