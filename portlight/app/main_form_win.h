// MainForm: the bar window. It owns the program-wide state of the bar (options, the
// snapshot guards, the raw listing), its child areas, timers and menus, and turns window
// messages into calls on the logic (commands, housekeeping, capture).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/bar_layout.h"
#include "app/capture_worker.h"
#include "app/commands.h"
#include "app/housekeeping.h"
#include "app/options.h"
#include "app/settings_store_win.h"
#include "app/tray_icon_win.h"
#include "appbar/tappbar_win.h"
#include "capture/connection_table.h"
#include "capture/icon_grouping.h"
#include "capture/netstat_command.h"
#include "capture/system_table_win.h"
#include "common/win32/handles_win.h"
#include "ticker/ticker_win.h"

namespace portlight {

struct CaptureResult;
class AboutBox;
class IconStrip;
class InspectionWin;
class TerminationCommands;

class MainForm : public CommandHost, public HousekeepingHost {
  public:
    MainForm();
    ~MainForm() override;
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Creates the window and runs the load step; false when the window cannot be made.
    bool Create(HINSTANCE instance);
    HWND hwnd() const { return hwnd_; }

    // The snapshot: guards, command line, capture on a worker thread; the rest of the
    // snapshot runs when the captured text comes back (OnCaptured).
    void cmdNetstats_Click();
    // Exit from the button, the settings menu or the tray menu.
    void cmdExit_Click();

    // CommandHost
    void SetupTrayIcon() override;
    void RemoveTrayIcon() override;
    void SetTrayActiveCheck(bool checked) override;
    void SetRefreshInterval(int milliseconds) override;
    void ApplyStartWithWindows(bool on) override;
    void OpenHelp() override;
    void ShowAbout() override;
    void Exit() override { cmdExit_Click(); }
    void PopupSettings() override;
    void DockingAutoHide(bool on) override;
    void DockingAlwaysOnTop(bool on) override;
    void DockingSlideEffect(bool on) override;
    void DockingSlideTime(int milliseconds) override;
    void DockingUpdateBar() override;
    void TickerUpdate() override { GetNewTickerText(); }

    // HousekeepingHost
    bool ExitRequested() override { return exitRequested_; }
    void UnloadMainWindow() override { Unload(); }
    void QueryOnline() override;
    bool ReportPending() override;
    void RefreshNetstatsInfoBox() override;
    void TickerStep() override;
    void GetNewTickerText() override;
    void SendUsagePing() override;

    // State other parts of the bar read.
    Options options;
    bool SnapshotBusy = false;
    bool IsOnline = false;
    int IconSlotCount = 0;
    // The last snapshot's table (large: kept off the stack) and the icon slots as data.
    std::unique_ptr<ConnectionTable> connectionTable = std::make_unique<ConnectionTable>();
    std::vector<IconSlot> iconSlots;
    std::string txtNetstats;         // raw listing of the last snapshot, header removed
    NetstatCommand snapshotCommand;  // command line and monitor kind of the last snapshot
    bool cmdNetstatsEnabled() const { return cmdNetstatsEnabled_; }
    bool OptionsLoaded() const { return commands_ && commands_->OptionsLoaded; }

  private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);
    void Load();
    void CreateTicker();   // the ticker in its box, loaded from ticker.db
    void AttachDocking();  // the docking object with the bar's configuration
    void DetachDocking();
    void CreateChildren();
    void LayOut();
    // Unloads the window unless a snapshot runs; then the exit is deferred.
    bool Unload();
    void OnCommand(int id, int code);
    void OnTimer(UINT_PTR id);
    void OnCaptured(std::unique_ptr<CaptureResult> result);
    void SetNetstatsEnabled(bool enabled);
    // The snapshot guards together: cmdNetstats disabled and SnapshotBusy set, or both clear.
    void SetSnapshotRunning(bool running);
    void ShowSettingsMenu(POINT at);
    HWND Panel(HWND parent, int id, COLORREF colour);
    void Place(HWND control, const TwipRect& r);

    HWND hwnd_ = nullptr;
    HWND picNetstats_ = nullptr;
    HWND picTitleBar_ = nullptr;
    HWND picTicker_ = nullptr;
    HWND lblNetstatConnections_ = nullptr;
    HWND picActiveIcons_ = nullptr;
    HWND picControlBox_ = nullptr;
    HWND imgIcon_ = nullptr;
    HWND cmdSettings_ = nullptr;
    HWND cmdExit_ = nullptr;
    HWND cmdNetstats_ = nullptr;
    HWND txtNetstats_ = nullptr;
    HWND cmdSendStats_ = nullptr;
    HWND Command1_ = nullptr;
    HICON icon_ = nullptr;
    win32::Font font_;
    win32::Brush titleBrush_;
    int dpiX_ = 96;
    int dpiY_ = 96;

    bool exitRequested_ = false;
    bool cmdNetstatsEnabled_ = true;
    bool trayMenuBuilt_ = false;
    int trayActiveItem_ = 0;

    std::unique_ptr<PrivateProfileStore> store_;
    std::unique_ptr<SettingsCommands> commands_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<Housekeeping> housekeeping_;
    std::unique_ptr<TickerWin> ticker_;  // after the store and clock it uses
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<AboutBox> about_;
    std::unique_ptr<IconStrip> iconStrip_;
    std::unique_ptr<InspectionWin> inspection_;  // the details window and the process report
    std::unique_ptr<TerminationCommands> termination_;
    SystemTableBuilder tableBuilder_;  // remembers process paths from snapshot to snapshot  // the
                                       // icon menu's and details' terminate
    std::unique_ptr<appbar::AppBarWin> appbar_;  // the docking object, load to unload
    // Last, so it goes first: a guard it still holds touches the flags above as it ends.
    std::unique_ptr<CaptureWorker> capture_;
};

}  // namespace portlight
