// MainForm: the bar window. It owns the program-wide state of the bar (options, the
// snapshot guards, the raw listing) and its parts: the child controls, the docking object,
// the tray icon, the ticker, the details window, the icon strip and the capture worker.
// Window messages become calls on the logic (commands, housekeeping, capture); the two
// hosts carry out what the commands and the housekeeping tick ask of the parts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/bar_controls_win.h"
#include "app/bar_hosts_win.h"
#include "app/capture_worker.h"
#include "app/commands.h"
#include "app/housekeeping.h"
#include "app/options.h"
#include "app/settings_store_win.h"
#include "capture/connection_table.h"
#include "capture/icon_grouping.h"
#include "capture/netstat_command.h"
#include "capture/system_table_win.h"

namespace portlight {

struct CaptureResult;
class IconStrip;
class TerminationCommands;

class MainForm {
  public:
    MainForm();
    ~MainForm();
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

    // State other parts of the bar read.
    Options options;
    bool SnapshotBusy = false;
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
    void CreateIconStrip();
    void CreateInspection();  // the details window, hidden
    void CreateTicker();      // the ticker in its box, loaded from ticker.db
    // Unloads the window unless a snapshot runs; then the exit is deferred.
    bool Unload();
    void OnCommand(int id, int code);
    void OnTimer(UINT_PTR id);
    void OnTrayCommand(Command command);
    void OnCaptured(std::unique_ptr<CaptureResult> result);
    void SetNetstatsEnabled(bool enabled);
    // The snapshot guards together: cmdNetstats disabled and SnapshotBusy set, or both clear.
    void SetSnapshotRunning(bool running);
    // The settings menu under the bar's "Settings" button, or at a given point.
    void PopupSettings();
    void ShowSettingsMenu(POINT at);

    HWND hwnd_ = nullptr;
    BarControls controls_;

    bool exitRequested_ = false;
    bool cmdNetstatsEnabled_ = true;

    std::unique_ptr<PrivateProfileStore> store_;
    std::unique_ptr<Clock> clock_;
    BarParts parts_;  // after the store and clock the ticker uses
    BarCommandHost commandHost_{parts_, options};
    BarHousekeepingHost housekeepingHost_{parts_};
    std::unique_ptr<SettingsCommands> commands_;
    std::unique_ptr<Housekeeping> housekeeping_;
    std::unique_ptr<IconStrip> iconStrip_;
    std::unique_ptr<TerminationCommands> termination_;  // the icon menu's and details' terminate
    // What each process yields (owner, description, icon), kept from snapshot to snapshot.
    ProcessFacts processFacts_{ProcessCreationTime};
    SystemTableBuilder tableBuilder_{processFacts_};
    // Last, so it goes first: a guard it still holds touches the flags above as it ends.
    std::unique_ptr<CaptureWorker> capture_;
};

}  // namespace portlight
