// Program entry of the bar: one instance only, then the bar window runs on its messages.
#include <windows.h>

#include "app/main_form_win.h"

namespace {

// Named for the product so a second copy started from anywhere sees the first.
constexpr char kInstanceMutex[] = "Kestro - Portlight single instance";

class InstanceGuard {
public:
    InstanceGuard() : mutex_(CreateMutexA(nullptr, FALSE, kInstanceMutex)) {
        alreadyRunning_ = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    ~InstanceGuard() {
        if (mutex_)
            CloseHandle(mutex_);
    }
    bool alreadyRunning() const { return alreadyRunning_; }

private:
    HANDLE mutex_;
    bool alreadyRunning_ = false;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InstanceGuard guard;
    if (guard.alreadyRunning()) {
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
