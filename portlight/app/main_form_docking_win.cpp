// MainForm's side of the docking object: the start-up configuration and the option
// commands that drive it.
#include "app/bar_layout.h"
#include "app/main_form_win.h"
#include "resource.h"

namespace portlight {

void MainForm::AttachDocking() {
    appbar_ = std::make_unique<appbar::AppBarWin>(hwnd_);
    appbar::TAppBar& bar = appbar_->bar;
    bar.Extends();
    bar.SetTaskbarButton(appbar::TaskbarNever);
    bar.SetSlideEffect(false);
    bar.SetSlideTime(750);
    bar.SetRegistryRoot(appbar::RootLocalMachine);
    bar.SetRegistryPath("SOFTWARE\\Brannock\\Portlight");
    bar.UpdateBar();
    bar.SetHorzSizeStep(0);
    bar.SetVertSizeStep(0);
    bar.SetDockedMaxHeight(GetSystemMetrics(SM_CYSCREEN));
    // The connection area's height and 100 twips more, in pixels at the screen's DPI.
    bar.SetDockedMinHeight(DockedMinHeightPixels(dpiY_));
    // The docking object works in screen pixels; its default thickness is meant for 96 DPI,
    // and on a scaled display the bar's areas grow past it.
    bar.SetDockedHeight(DockedHeightPixels(dpiY_));
    bar.UpdateBar();
    bar.SetAlwaysOnTop(true);
    bar.SetAutoHide(true);
    bar.SetAllowedEdges(appbar::AllowTop);
    bar.SetEdge(appbar::EdgeTop);
    bar.UpdateBar();
}

void MainForm::DetachDocking() {
    if (appbar_)
        appbar_->bar.Detach();
}

void MainForm::DockingAutoHide(bool on) {
    if (!appbar_)
        return;
    appbar_->bar.SetAutoHide(on);
    // A command the user chose shows at once; during start-up the settings are applied
    // together by the UpdateBar after "SlidingEffect".
    if (OptionsLoaded())
        appbar_->bar.UpdateBar();
}

void MainForm::DockingAlwaysOnTop(bool on) {
    if (!appbar_)
        return;
    appbar_->bar.SetAlwaysOnTop(on);
    if (OptionsLoaded())
        appbar_->bar.UpdateBar();
}

void MainForm::DockingSlideEffect(bool on) {
    if (appbar_)
        appbar_->bar.SetSlideEffect(on);
}

void MainForm::DockingSlideTime(int milliseconds) {
    if (appbar_)
        appbar_->bar.SetSlideTime(milliseconds);
}

void MainForm::DockingUpdateBar() {
    if (appbar_)
        appbar_->bar.UpdateBar();
}

}  // namespace portlight
