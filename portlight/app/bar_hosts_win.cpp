#include "app/bar_hosts_win.h"

#include "app/settings_store_win.h"
#include "app/web_page_win.h"
#include "resource.h"

namespace portlight {

void BarCommandHost::DockingAutoHide(bool on) {
    parts_.docking.SetAutoHide(on, Loaded());
}

void BarCommandHost::DockingAlwaysOnTop(bool on) {
    parts_.docking.SetAlwaysOnTop(on, Loaded());
}

void BarCommandHost::DockingSlideEffect(bool on) {
    parts_.docking.SetSlideEffect(on);
}

void BarCommandHost::DockingSlideTime(int milliseconds) {
    parts_.docking.SetSlideTime(milliseconds);
}

void BarCommandHost::DockingUpdateBar() {
    parts_.docking.UpdateBar();
}

void BarCommandHost::ApplyStartWithWindows(bool on) {
    portlight::ApplyStartWithWindows(on, ProgramFolder());
}

void BarCommandHost::SetupTrayIcon() {
    if (parts_.tray)
        parts_.tray->Show(parts_.icon, options_.Active);
}

void BarCommandHost::RemoveTrayIcon() {
    if (parts_.tray)
        parts_.tray->Remove();
}

void BarCommandHost::SetTrayActiveCheck(bool checked) {
    if (parts_.tray)
        parts_.tray->SetActiveCheck(checked);
}

void BarCommandHost::SetRefreshInterval(int milliseconds) {
    // SetTimer with the id of a running timer replaces its period in place.
    if (parts_.bar && Loaded())
        SetTimer(parts_.bar, IDT_NETSTATS, static_cast<UINT>(milliseconds), nullptr);
}

void BarCommandHost::TickerUpdate() {
    if (parts_.ticker)
        parts_.ticker->GetNewTickerText();
}

void BarCommandHost::OpenHelp() {
    OpenWebPage(kHelpPageAddress);
}

void BarCommandHost::ShowAbout() {
    if (!parts_.about)
        parts_.about = std::make_unique<AboutBox>();
    parts_.about->Show(parts_.bar, parts_.icon);
}

void BarCommandHost::Exit() {
    if (exit)
        exit();
}

void BarCommandHost::PopupSettings() {
    if (popupSettings)
        popupSettings();
}

void BarHousekeepingHost::UnloadMainWindow() {
    if (unload)
        unload();
}

bool BarHousekeepingHost::ReportPending() {
    return parts_.inspection && parts_.inspection->ReportPending();
}

void BarHousekeepingHost::RefreshNetstatsInfoBox() {
    if (parts_.inspection)
        parts_.inspection->RefreshNetstatsInfoBox();
}

void BarHousekeepingHost::TickerStep() {
    if (parts_.ticker)
        parts_.ticker->ShowNextTickerItem();
}

void BarHousekeepingHost::GetNewTickerText() {
    if (parts_.ticker)
        parts_.ticker->GetNewTickerText();
}

void BarHousekeepingHost::SendUsagePing() {
    if (parts_.ticker)
        parts_.ticker->SendUsagePing();
}

void BarHousekeepingHost::QueryOnline() {
    parts_.online.Refresh();
}

}  // namespace portlight
