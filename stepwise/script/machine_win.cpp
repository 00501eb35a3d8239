#include "script/machine_win.h"

#include "common/win32/handles_win.h"
#include "script/machine_checks.h"

namespace stepwise {

namespace {

constexpr char kMessageCaption[] = "Stepwise";

}  // namespace

void ShowMessage(HWND owner, const std::string& text) {
    MessageBoxA(owner, text.c_str(), kMessageCaption, MB_OK | MB_SETFOREGROUND);
}

std::string CurrentOsClass() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    bool read = GetVersionExA(&version) != FALSE;
#pragma GCC diagnostic pop
    return OsClassFor(read, version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

bool RunPlatformCheck(const InstallerContext& context, HWND owner) {
    CheckResult result = CheckPlatform(context.Read("SYSTEM", "7"), CurrentOsClass());
    if (!result.passed)
        ShowMessage(owner, result.message);
    return result.passed;
}

void RunMachineWarnings(const InstallerContext& context, HWND owner) {
    RunMachineWarnings(context, [owner](const std::string& text) { ShowMessage(owner, text); });
}

void RunMachineWarnings(const InstallerContext& context,
                        const std::function<void(const std::string&)>& warn) {
    if (auto screen = ParseScreenRequirement(context.Read("SYSTEM", "6"))) {
        if (ScreenTooSmall(*screen, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)))
            warn(context.Read("SYSTEM", "4"));
    }

    if (auto bits = RequiredColourBits(context.Read("SYSTEM", "5"))) {
        win32::ScreenDC screen = win32::GetScreenDC();
        int depth = GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
        if (depth < *bits)
            warn(context.Read("SYSTEM", "3"));
    }

    std::string memory = context.Read("SYSTEM", "1");
    if (memory != "0") {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        // The extended call: the old GlobalMemoryStatus stops counting at 2 or 4 GB.
        if (GlobalMemoryStatusEx(&status) && MemoryBelowRequirement(status.ullTotalPhys, memory))
            warn(context.Read("SYSTEM", "2"));
    }
}

}  // namespace stepwise
