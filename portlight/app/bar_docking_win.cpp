#include "app/bar_docking_win.h"

#include "app/bar_layout.h"

namespace portlight {

void BarDocking::Attach(HWND bar, int dpiY) {
    appbar_ = std::make_unique<appbar::AppBarWin>(bar);
    appbar::TAppBar& b = appbar_->bar;
    b.Extends();
    b.SetTaskbarButton(appbar::TaskbarNever);
    b.SetSlideEffect(false);
    b.SetSlideTime(750);
    b.SetRegistryRoot(appbar::RootLocalMachine);
    b.SetRegistryPath("SOFTWARE\\Brannock\\Portlight");
    b.UpdateBar();
    b.SetHorzSizeStep(0);
    b.SetVertSizeStep(0);
    b.SetDockedMaxHeight(GetSystemMetrics(SM_CYSCREEN));
    // The connection area's height and 100 twips more, in pixels at the screen's DPI.
    b.SetDockedMinHeight(DockedMinHeightPixels(dpiY));
    // The docking object works in screen pixels; its default thickness is meant for 96 DPI,
    // and on a scaled display the bar's areas grow past it.
    b.SetDockedHeight(DockedHeightPixels(dpiY));
    b.UpdateBar();
    b.SetAlwaysOnTop(true);
    b.SetAutoHide(true);
    b.SetAllowedEdges(appbar::AllowTop);
    b.SetEdge(appbar::EdgeTop);
    b.UpdateBar();
}

void BarDocking::Detach() {
    if (appbar_)
        appbar_->bar.Detach();
}

void BarDocking::SetAutoHide(bool on, bool showNow) {
    if (!appbar_)
        return;
    appbar_->bar.SetAutoHide(on);
    if (showNow)
        appbar_->bar.UpdateBar();
}

void BarDocking::SetAlwaysOnTop(bool on, bool showNow) {
    if (!appbar_)
        return;
    appbar_->bar.SetAlwaysOnTop(on);
    if (showNow)
        appbar_->bar.UpdateBar();
}

void BarDocking::SetSlideEffect(bool on) {
    if (appbar_)
        appbar_->bar.SetSlideEffect(on);
}

void BarDocking::SetSlideTime(int milliseconds) {
    if (appbar_)
        appbar_->bar.SetSlideTime(milliseconds);
}

void BarDocking::UpdateBar() {
    if (appbar_)
        appbar_->bar.UpdateBar();
}

}  // namespace portlight
