// SplashDialog: the picture window showing SetupFolder\setup.bmp while the payload is
// prepared. It runs on its own user-interface thread and talks to the preparing window only
// through the handshake flag.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/win32/dialog_win.h"
#include "common/win32/handles_win.h"

namespace stepwise {

// Starts the picture window's thread. The handshake is set to "opened" before the thread
// starts, so the preparing window's wait cannot pass before the picture has shown.
void StartSplashThread(HINSTANCE instance,
                       const std::string& setupFolder,
                       std::atomic<std::uint32_t>& handshake);

class SplashDialog : public win32::Dialog {
  public:
    SplashDialog(std::string bitmapPath, std::atomic<std::uint32_t>& handshake)
        : bitmapPath_(std::move(bitmapPath)), handshake_(handshake) {}
    ~SplashDialog() override;

  private:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id) override;

    std::string bitmapPath_;
    std::atomic<std::uint32_t>& handshake_;
    win32::Bitmap bitmap_;
};

}  // namespace stepwise
