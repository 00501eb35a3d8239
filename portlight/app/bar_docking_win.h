// The bar's docking object: attached to the bar window at load with the bar's start-up
// configuration (top edge, auto-hide, always on top, no taskbar button), driven by the
// option commands, detached at unload.
#pragma once

#include <windows.h>

#include <memory>

#include "appbar/tappbar_win.h"

namespace portlight {

class BarDocking {
  public:
    void Attach(HWND bar, int dpiY);
    void Detach();

    // `showNow`: a command the user chose shows at once; during start-up the settings are
    // applied together by the UpdateBar after "SlidingEffect".
    void SetAutoHide(bool on, bool showNow);
    void SetAlwaysOnTop(bool on, bool showNow);
    void SetSlideEffect(bool on);
    void SetSlideTime(int milliseconds);
    void UpdateBar();

  private:
    std::unique_ptr<appbar::AppBarWin> appbar_;  // load to unload
};

}  // namespace portlight
