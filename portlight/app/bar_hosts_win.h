// What the settings commands and the one-second housekeeping tick do to the bar, carried
// out on the bar's parts. MainForm owns the parts and gives the hosts the few things that
// stay its own (the exit, the settings menu, whether start-up has finished).
#pragma once

#include <windows.h>

#include <wininet.h>

#include <functional>
#include <memory>

#include "app/about_box_win.h"
#include "app/bar_docking_win.h"
#include "app/bar_tray_win.h"
#include "app/commands.h"
#include "app/housekeeping.h"
#include "app/online_flag.h"
#include "app/options.h"
#include "display/inspection_win.h"
#include "ticker/ticker_win.h"

namespace portlight {

// The bar's parts the hosts act on. The ticker and the details window come and go with the
// load step and the unload; the hosts check for them.
struct BarParts {
    HWND bar = nullptr;
    HICON icon = nullptr;  // borrowed: the program's resource icon
    BarDocking docking;
    std::unique_ptr<BarTray> tray;
    std::unique_ptr<AboutBox> about;
    std::unique_ptr<TickerWin> ticker;
    std::unique_ptr<InspectionWin> inspection;  // the details window and the process report
    // IsOnline, asked of InternetGetConnectedState.
    OnlineFlag online{[] {
        DWORD flags = 0;
        return InternetGetConnectedState(&flags, 0) != FALSE;
    }};
};

class BarCommandHost : public CommandHost {
  public:
    BarCommandHost(BarParts& parts, const Options& options) : parts_(parts), options_(options) {}

    // Whether start-up has replayed the options: only then do commands show at once.
    std::function<bool()> optionsLoaded;
    std::function<void()> exit;
    std::function<void()> popupSettings;

    void DockingAutoHide(bool on) override;
    void DockingAlwaysOnTop(bool on) override;
    void DockingSlideEffect(bool on) override;
    void DockingSlideTime(int milliseconds) override;
    void DockingUpdateBar() override;
    void ApplyStartWithWindows(bool on) override;
    void SetupTrayIcon() override;
    void RemoveTrayIcon() override;
    void SetTrayActiveCheck(bool checked) override;
    void SetRefreshInterval(int milliseconds) override;
    void TickerUpdate() override;
    void OpenHelp() override;
    void ShowAbout() override;
    void Exit() override;
    void PopupSettings() override;

  private:
    bool Loaded() const { return optionsLoaded && optionsLoaded(); }

    BarParts& parts_;
    const Options& options_;
};

class BarHousekeepingHost : public HousekeepingHost {
  public:
    explicit BarHousekeepingHost(BarParts& parts) : parts_(parts) {}

    std::function<bool()> exitRequested;
    std::function<void()> unload;

    bool ExitRequested() override { return exitRequested && exitRequested(); }
    void UnloadMainWindow() override;
    bool ReportPending() override;
    void RefreshNetstatsInfoBox() override;
    void TickerStep() override;
    void GetNewTickerText() override;
    void SendUsagePing() override;
    void QueryOnline() override;

  private:
    BarParts& parts_;
};

}  // namespace portlight
