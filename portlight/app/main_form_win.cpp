#include "app/main_form_win.h"

#include <commctrl.h>

#include <cstdlib>
#include <ctime>

#include "app/settings_menu_win.h"
#include "app/web_page_win.h"
#include "capture/system_endpoints_win.h"
#include "common/win32/screen_win.h"
#include "common/win32/window_win.h"
#include "display/icon_strip_win.h"
#include "display/snapshot_pipeline_win.h"
#include "display/termination_commands_win.h"
#include "resource.h"

namespace portlight {

namespace {

constexpr int kInitialBarHeightPixels = 80;

class LocalClock : public Clock {
  public:
    std::string Today() override { return Format("%Y%m%d"); }
    std::string Hour() override { return Format("%H"); }

  private:
    static std::string Format(const char* pattern) {
        std::time_t now = std::time(nullptr);
        std::tm local = {};
        localtime_s(&local, &now);
        char text[16] = {};
        std::strftime(text, sizeof text, pattern, &local);
        return text;
    }
};

}  // namespace

MainForm::MainForm() {
    commandHost_.optionsLoaded = [this] { return OptionsLoaded(); };
    commandHost_.exit = [this] { cmdExit_Click(); };
    commandHost_.popupSettings = [this] { PopupSettings(); };
    housekeepingHost_.exitRequested = [this] { return exitRequested_; };
    housekeepingHost_.unload = [this] { Unload(); };
}

MainForm::~MainForm() {
    capture_.reset();  // joins a running capture
}

bool MainForm::Create(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    parts_.icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PORTLIGHT));
    RegisterPanelClass(instance);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = win32::WindowProc<MainForm, &MainForm::HandleMessage>;
    wc.hInstance = instance;
    wc.hIcon = parts_.icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kBarColour);
    wc.lpszClassName = PORTLIGHT_BAR_CLASS;
    if (!RegisterClassA(&wc))
        return false;

    int width = GetSystemMetrics(SM_CXSCREEN);
    // The frame is the non-client strip a hidden auto-hide bar leaves on screen: the pointer
    // over it is what slides the bar back in. An extended-style frame survives the docking
    // object's caption changes (WS_CAPTION takes WS_BORDER and WS_DLGFRAME with it) and,
    // unlike a sizing frame, offers no sizing borders.
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, PORTLIGHT_BAR_CLASS,
                            "Kestro - Portlight", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width,
                            kInitialBarHeightPixels, nullptr, nullptr, instance, this);
    if (!hwnd_)
        return false;
    Load();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    return true;
}

void MainForm::Load() {
    const win32::Dpi dpi = win32::ScreenDpi();
    controls_.dpiX = dpi.x;
    controls_.dpiY = dpi.y;
    parts_.bar = hwnd_;

    // 1. Guards start clear.
    SnapshotBusy = false;
    exitRequested_ = false;
    // 2. The docking object: top edge, auto-hide, always on top, no taskbar button.
    parts_.docking.Attach(hwnd_, controls_.dpiY);
    // 3. Child areas.
    controls_.Create(hwnd_, parts_.icon);
    controls_.LayOut(hwnd_);
    // 4. The icon slots that fit the strip.
    CreateIconStrip();
    // 5. Options, each applied through its menu command.
    store_ = std::make_unique<PrivateProfileStore>(ProgramFolder() + "\\settings.db", "Main");
    parts_.tray = std::make_unique<BarTray>();
    parts_.tray->onCommand = [this](Command c) { OnTrayCommand(c); };
    commands_ = std::make_unique<SettingsCommands>(options, commandHost_, *store_);
    commands_->LoadOptions();
    HWND window = hwnd_;
    capture_ = std::make_unique<CaptureWorker>(
        [](const std::string& commandLine) { return CaptureSnapshotListing(commandLine); },
        [window](CaptureResult* result) {
            return PostMessageA(window, WM_APP_CAPTURED, 0, reinterpret_cast<LPARAM>(result)) !=
                   FALSE;
        });
    // 6. The details window loads hidden. 7. The ticker starts from its cache.
    CreateInspection();
    clock_ = std::make_unique<LocalClock>();
    CreateTicker();
    // 8. From now on every option command saves.
    commands_->OptionsLoaded = true;
    housekeeping_ = std::make_unique<Housekeeping>(housekeepingHost_, *store_, *clock_);
    housekeeping_->checkEveryTicks = DueCheckTicks(std::getenv(kDueCheckTicksVariable));
    // 9. Exit button.
    controls_.Place(controls_.cmdExit, controls_.Layout(hwnd_).cmdExit);
    // 10. Tray icon when asked for.
    if (options.TrayIcon)
        commandHost_.SetupTrayIcon();
    // 11. Timers; the areas show.
    SetTimer(hwnd_, IDT_MAIN, 1000, nullptr);
    SetTimer(hwnd_, IDT_NETSTATS, static_cast<UINT>(RefreshMilliseconds(options.Refresh)), nullptr);
    ShowWindow(controls_.picNetstats, SW_SHOW);
    ShowWindow(controls_.cmdExit, SW_SHOW);
}

void MainForm::CreateIconStrip() {
    iconStrip_ = std::make_unique<IconStrip>(iconSlots, *connectionTable,
                                             [this] { return !cmdNetstatsEnabled_; });
    iconStrip_->handlers.ShowProcessReport = [this](int slot) {
        if (parts_.inspection)
            parts_.inspection->ShowProcessReport(slot);
    };
    termination_ =
        std::make_unique<TerminationCommands>(*connectionTable, [this] { cmdNetstats_Click(); });
    iconStrip_->handlers.MenuCommand = [this](const IconMenu& menu, UINT command) {
        termination_->OnIconMenuCommand(menu, command);
    };
    iconStrip_->facts = &processFacts_;
    IconSlotCount = iconStrip_->CreateIconSlots(controls_.picActiveIcons, kStripColour);
    iconSlots.assign(static_cast<size_t>(IconSlotCount) + 1, IconSlot());
}

void MainForm::CreateInspection() {
    InspectionSources sources;
    sources.slots = &iconSlots;
    sources.table = connectionTable.get();
    sources.rawListing = &txtNetstats;
    sources.snapshotBusy = [this] { return SnapshotBusy; };
    sources.segmentPid = [this] { return options.SegmentPID; };
    sources.resolveHosts = [this] { return options.ResolveHosts; };
    sources.countCaption = [this] {
        char caption[32] = {};
        GetWindowTextA(controls_.lblNetstatConnections, caption, sizeof caption);
        return std::string(caption);
    };
    parts_.inspection = std::make_unique<InspectionWin>(std::move(sources));
    parts_.inspection->terminateProcess = [this](const std::string& target) {
        termination_->OnDetailsTerminate(target);
    };
    parts_.inspection->Create(GetModuleHandleA(nullptr));
}

void MainForm::CreateTicker() {
    TickerSetup setup;
    setup.picTicker = controls_.picTicker;
    setup.font = controls_.font.get();
    setup.background = kTitleColour;
    setup.dpiX = controls_.dpiX;
    setup.dpiY = controls_.dpiY;
    TwipRect box = controls_.Layout(hwnd_).picTicker;
    setup.boxWidthTwips = box.width;
    setup.boxHeightTwips = box.height;
    setup.programFolder = ProgramFolder();
    setup.store = store_.get();
    setup.clock = clock_.get();
    setup.online = [this] { return parts_.online.IsOnline(); };
    setup.sendUsage = [this] { return options.SendUsage; };
    setup.openLink = [](const std::string& link) { OpenWebPage(link); };
    parts_.ticker = std::make_unique<TickerWin>(std::move(setup));
    parts_.ticker->LoadTickerCache();
}

void MainForm::SetNetstatsEnabled(bool enabled) {
    cmdNetstatsEnabled_ = enabled;
    EnableWindow(controls_.cmdNetstats, enabled);
}

void MainForm::SetSnapshotRunning(bool running) {
    SetNetstatsEnabled(!running);
    SnapshotBusy = running;
}

void MainForm::cmdNetstats_Click() {
    if (!cmdNetstatsEnabled_ || !options.Active || exitRequested_ || !capture_)
        return;
    SnapshotGuard guard([this](bool running) { SetSnapshotRunning(running); });
    // 3. Every icon slot empty and hidden.
    for (IconSlot& slot : iconSlots)
        slot.Reset();
    if (iconStrip_)
        iconStrip_->ResetSlots();
    snapshotCommand = BuildNetstatCommand(options.Monitor, options.ActiveOnly);

    // netstat runs on a worker so the bar stays live; the text comes back by message, and
    // the guard with it.
    capture_->Start(snapshotCommand.commandLine, std::move(guard));
}

void MainForm::OnCaptured(std::unique_ptr<CaptureResult> result) {
    // Held to the last step; it clears the guards however this step leaves.
    std::optional<SnapshotGuard> guard = capture_->Finish();
    if (!result->failure.empty())
        MessageBoxA(hwnd_, result->failure.c_str(), "Portlight", MB_OK);
    txtNetstats = StripNetstatHeader(result->output);
    SetWindowTextA(controls_.txtNetstats, txtNetstats.c_str());
    // 8. The connection table, the count on the bar and in the tray, the icon slots.
    tableBuilder_.Build(txtNetstats, *connectionTable);
    SetWindowTextA(controls_.lblNetstatConnections,
                   CountLabelText(connectionTable->ConnectionCount).c_str());
    if (options.TrayIcon && parts_.tray)
        parts_.tray->UpdateToolTip(
            TrayToolTipText(connectionTable->ConnectionCount, snapshotCommand.monitorKind));
    GroupSlotsWithVersions(*connectionTable,
                           {options.SegmentPID, ParseUnknownFilter(options.Unknown)}, iconSlots,
                           &processFacts_);
    if (iconStrip_)
        iconStrip_->ShowSlots();
    processFacts_.EndSnapshot();
}

void MainForm::cmdExit_Click() {
    Unload();
    exitRequested_ = true;
}

bool MainForm::Unload() {
    if (!hwnd_)
        return true;
    if (SnapshotBusy) {
        exitRequested_ = true;
        return false;
    }
    parts_.docking.Detach();
    if (options.TrayIcon)
        commandHost_.RemoveTrayIcon();
    if (parts_.about)
        parts_.about->Close();
    parts_.inspection.reset();
    parts_.ticker.reset();
    HWND window = hwnd_;
    hwnd_ = nullptr;
    parts_.bar = nullptr;
    DestroyWindow(window);
    return true;
}

void MainForm::OnTrayCommand(Command command) {
    if (command == Command::PopupSettings) {
        // A menu chosen from the tray menu opens where the pointer is, as everywhere, not
        // under the (hidden) bar's own button.
        POINT pointer{};
        GetCursorPos(&pointer);
        ShowSettingsMenu(pointer);
    } else if (commands_) {
        commands_->Run(command);
    }
}

void MainForm::PopupSettings() {
    if (!hwnd_ || !commands_)
        return;
    RECT r;
    GetWindowRect(controls_.cmdSettings, &r);
    ShowSettingsMenu(POINT{r.left, r.bottom});
}

void MainForm::ShowSettingsMenu(POINT at) {
    if (hwnd_ && commands_)
        TrackSettingsMenu(hwnd_, *commands_, at);
}

void MainForm::OnCommand(int id, int code) {
    if (Command command = SettingsMenuCommand(id); command != Command::None) {
        commands_->Run(command);
        return;
    }
    switch (id) {
        case IDC_CMDSETTINGS:
            PopupSettings();
            break;
        case IDC_CMDEXIT:
            cmdExit_Click();
            break;
        case IDC_CMDNETSTATS:
            cmdNetstats_Click();
            break;
        case IDC_CMDSENDSTATS:
            housekeepingHost_.SendUsagePing();
            break;
        case IDC_COMMAND1:
            housekeepingHost_.GetNewTickerText();
            break;
        case IDC_IMGICON:
            if (code == STN_CLICKED && parts_.ticker)
                parts_.ticker->LoadTickerCache();
            break;
        case IDC_LBLNETSTATCONNECTIONS:
            if (code == STN_CLICKED && parts_.inspection)
                parts_.inspection->RefreshListofConnections();
            break;
        default:
            break;
    }
}

void MainForm::OnTimer(UINT_PTR id) {
    if (id == IDT_NETSTATS)
        cmdNetstats_Click();
    else if (id == IDT_MAIN && housekeeping_) {
        // A capture that ended without delivering gives its guards back here, so snapshots
        // and a deferred exit go on.
        if (capture_)
            capture_->ReapUndelivered();
        housekeeping_->Tick();
    }
}

LRESULT MainForm::HandleMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE)
        hwnd_ = window;
    // After Unload only the destruction messages still concern the object.
    if (message != WM_DESTROY && hwnd_ != window)
        return DefWindowProcA(window, message, wp, lp);
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_TIMER:
            OnTimer(wp);
            return 0;
        case WM_APP_CAPTURED:
            OnCaptured(std::unique_ptr<CaptureResult>(reinterpret_cast<CaptureResult*>(lp)));
            return 0;
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = controls_.CountLabelColours(reinterpret_cast<HWND>(lp),
                                                           reinterpret_cast<HDC>(wp)))
                return reinterpret_cast<LRESULT>(brush);
            break;
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_DESTROY:
            KillTimer(window, IDT_MAIN);
            KillTimer(window, IDT_NETSTATS);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wp, lp);
}

}  // namespace portlight
