#include "extract/splash_dialog_win.h"

#include <thread>

#include "extract/preparing_timers.h"
#include "res/resource.h"
#include "script/folder_rules.h"

namespace stepwise {

namespace {
constexpr UINT_PTR kSplashTimer = 1;
constexpr UINT kSplashPeriodMs = 500;
}  // namespace

SplashDialog::~SplashDialog() = default;

BOOL SplashDialog::OnInitDialog() {
    SplashShown(handshake_);
    bitmap_.reset(static_cast<HBITMAP>(LoadImageA(nullptr, bitmapPath_.c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (bitmap_) {
        HWND picture = Item(IDC_SPLASH_PICTURE);
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
        BITMAP info = {};
        GetObjectA(bitmap_.get(), sizeof info, &info);
        SetWindowPos(picture, nullptr, 0, 0, info.bmWidth, info.bmHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        RECT frame = {0, 0, info.bmWidth, info.bmHeight};
        AdjustWindowRectEx(&frame, GetWindowLongA(hwnd(), GWL_STYLE), FALSE,
                           GetWindowLongA(hwnd(), GWL_EXSTYLE));
        int width = frame.right - frame.left;
        int height = frame.bottom - frame.top;
        SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetTimer(hwnd(), kSplashTimer, kSplashPeriodMs, nullptr);
    return TRUE;
}

void SplashDialog::OnTimer(UINT_PTR id) {
    if (id != kSplashTimer)
        return;
    if (SplashShouldClose(handshake_)) {
        KillTimer(hwnd(), kSplashTimer);
        EndDialog(IDOK);
    }
}

void StartSplashThread(HINSTANCE instance,
                       const std::string& setupFolder,
                       std::atomic<std::uint32_t>& handshake) {
    handshake = kSplashOpened;
    std::string path = ScriptFilePath(setupFolder, "setup.bmp");
    std::thread([instance, path, &handshake] {
        SplashDialog splash(path, handshake);
        if (splash.RunModal(instance, IDD_SPLASH, nullptr) == -1)
            handshake = kSplashIdle;  // no window: nothing to wait for
    }).detach();
}

}  // namespace stepwise
