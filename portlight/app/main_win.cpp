// Program entry of the bar: one instance only, then the bar window runs on its messages.
#include <windows.h>

#include "app/main_form_win.h"
#include "common/win32/handles_win.h"

namespace {

// Named for the product so a second copy started from anywhere sees the first.
constexpr char kInstanceMutex[] = "Kestro - Portlight single instance";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Held until the program ends: while it exists, later copies find it.
    win32::KernelHandle instanceMutex(CreateMutexA(nullptr, FALSE, kInstanceMutex));
    if (instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Another Instance of Kestro - Portlight is already running.",
                    "Already Running", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    portlight::MainForm form;
    if (!form.Create(instance))
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
