// The optional full-screen window behind the installer: maximised, topmost, caption
// "Corvane Stepwise", filled with the script's colour and showing its title with a shadow.
#pragma once

#include <windows.h>

#include "script/installer_context.h"

namespace stepwise {

class BackgroundWindow {
  public:
    explicit BackgroundWindow(const InstallerContext& context) : context_(context) {}
    ~BackgroundWindow();
    BackgroundWindow(const BackgroundWindow&) = delete;
    BackgroundWindow& operator=(const BackgroundWindow&) = delete;

    bool Create(HINSTANCE instance);
    HWND hwnd() const { return hwnd_; }

  private:
    LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    const InstallerContext& context_;
    HWND hwnd_ = nullptr;
};

}  // namespace stepwise
