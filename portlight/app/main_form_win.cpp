#include "app/main_form_win.h"

#include <commctrl.h>
#include <wininet.h>

#include <cstdlib>
#include <ctime>

#include "app/about_box_win.h"
#include "app/settings_menu_win.h"
#include "app/web_page_win.h"
#include "capture/system_endpoints_win.h"
#include "common/win32/screen_win.h"
#include "common/win32/window_win.h"
#include "display/icon_strip_win.h"
#include "display/inspection_win.h"
#include "display/snapshot_pipeline_win.h"
#include "display/termination_commands_win.h"
#include "resource.h"

namespace portlight {

namespace {

constexpr COLORREF kBarColour = RGB(29, 53, 87);
constexpr COLORREF kStripColour = RGB(241, 250, 238);
constexpr COLORREF kTitleColour = RGB(69, 123, 157);
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

// Container areas forward what their controls report to the bar window, so every
// command reaches MainForm whatever area the control sits in.
LRESULT PanelProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CONTEXTMENU:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return SendMessageA(GetAncestor(window, GA_ROOT), message, wp, lp);
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(window, &r);
            win32::Brush brush(
                CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA))));
            FillRect(reinterpret_cast<HDC>(wp), &r, brush.get());
            return 1;
        }
    }
    return DefWindowProcA(window, message, wp, lp);
}

void RegisterPanelClass(HINSTANCE instance) {
    WNDCLASSA panel = {};
    panel.lpfnWndProc = win32::GuardedProc<PanelProc>;
    panel.hInstance = instance;
    panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
    panel.lpszClassName = PORTLIGHT_PANEL_CLASS;
    RegisterClassA(&panel);
}

}  // namespace

MainForm::MainForm() = default;

MainForm::~MainForm() {
    capture_.reset();  // joins a running capture
}

bool MainForm::Create(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    icon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PORTLIGHT));
    RegisterPanelClass(instance);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = win32::WindowProc<MainForm, &MainForm::HandleMessage>;
    wc.hInstance = instance;
    wc.hIcon = icon_;
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

HWND MainForm::Panel(HWND parent, int id, COLORREF colour) {
    HWND panel = CreateWindowExA(0, PORTLIGHT_PANEL_CLASS, "", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0,
                                 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(panel, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    return panel;
}

void MainForm::CreateChildren() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto child = [&](const char* cls, const char* text, DWORD style, HWND parent, int id) {
        HWND w =
            CreateWindowExA(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return w;
    };
    font_.reset(CreateFontA(-MulDiv(8, dpiY_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));

    picNetstats_ = Panel(hwnd_, IDC_PICNETSTATS, kBarColour);
    picTitleBar_ = Panel(picNetstats_, IDC_PICTITLEBAR, kTitleColour);
    picTicker_ = Panel(picTitleBar_, IDC_PICTICKER, kTitleColour);
    lblNetstatConnections_ =
        child("STATIC", "0", WS_VISIBLE | SS_RIGHT | SS_CENTERIMAGE | SS_NOTIFY, picTitleBar_,
              IDC_LBLNETSTATCONNECTIONS);
    picActiveIcons_ = Panel(picNetstats_, IDC_PICACTIVEICONS, kStripColour);
    picControlBox_ = Panel(picNetstats_, IDC_PICCONTROLBOX, kBarColour);
    imgIcon_ = child("STATIC", "", WS_VISIBLE | SS_ICON | SS_NOTIFY | SS_REALSIZECONTROL,
                     picControlBox_, IDC_IMGICON);
    SendMessageA(imgIcon_, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    cmdSettings_ =
        child("BUTTON", "Settings", WS_VISIBLE | BS_PUSHBUTTON, picControlBox_, IDC_CMDSETTINGS);
    cmdExit_ = child("BUTTON", "X", BS_PUSHBUTTON, hwnd_, IDC_CMDEXIT);

    // Hidden controls: the snapshot button whose enabled state guards snapshots, the raw
    // listing, and the two buttons that trigger the usage request and the ticker download.
    cmdNetstats_ = child("BUTTON", "Netstats", BS_PUSHBUTTON, hwnd_, IDC_CMDNETSTATS);
    // No word wrap: wrapping the whole listing in a control of no width took a large share
    // of each snapshot's CPU time under Wine.
    txtNetstats_ = child("EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                         hwnd_, IDC_TXTNETSTATS);
    SendMessageA(txtNetstats_, EM_SETLIMITTEXT, 0, 0);
    cmdSendStats_ = child("BUTTON", "SendStats", BS_PUSHBUTTON, hwnd_, IDC_CMDSENDSTATS);
    Command1_ = child("BUTTON", "Command1", BS_PUSHBUTTON, hwnd_, IDC_COMMAND1);
    ShowWindow(picTitleBar_, SW_SHOW);
    ShowWindow(picTicker_, SW_SHOW);
    ShowWindow(picActiveIcons_, SW_SHOW);
    ShowWindow(picControlBox_, SW_SHOW);
}

void MainForm::Place(HWND control, const TwipRect& r) {
    MoveWindow(control, TwipsToPixels(r.left, dpiX_), TwipsToPixels(r.top, dpiY_),
               TwipsToPixels(r.width, dpiX_), TwipsToPixels(r.height, dpiY_), TRUE);
}

void MainForm::LayOut() {
    RECT client;
    GetClientRect(hwnd_, &client);
    BarLayout l = LayOutBar(PixelsToTwips(client.right, dpiX_));
    Place(picNetstats_, l.picNetstats);
    Place(picTitleBar_, l.picTitleBar);
    Place(picTicker_, l.picTicker);
    Place(lblNetstatConnections_, l.lblNetstatConnections);
    Place(picActiveIcons_, l.picActiveIcons);
    Place(picControlBox_, l.picControlBox);
    Place(imgIcon_, l.imgIcon);
    Place(cmdSettings_, l.cmdSettings);
}

void MainForm::Load() {
    const win32::Dpi dpi = win32::ScreenDpi();
    dpiX_ = dpi.x;
    dpiY_ = dpi.y;

    // 1. Guards start clear.
    SnapshotBusy = false;
    exitRequested_ = false;
    // 2. The docking object: top edge, auto-hide, always on top, no taskbar button.
    AttachDocking();
    // 3. Child areas.
    CreateChildren();
    LayOut();
    // 4. The icon slots that fit the strip.
    iconStrip_ = std::make_unique<IconStrip>(iconSlots, *connectionTable,
                                             [this] { return !cmdNetstatsEnabled_; });
    iconStrip_->handlers.ShowProcessReport = [this](int slot) {
        if (inspection_)
            inspection_->ShowProcessReport(slot);
    };
    termination_ =
        std::make_unique<TerminationCommands>(*connectionTable, [this] { cmdNetstats_Click(); });
    iconStrip_->handlers.MenuCommand = [this](const IconMenu& menu, UINT command) {
        termination_->OnIconMenuCommand(menu, command);
    };
    IconSlotCount = iconStrip_->CreateIconSlots(picActiveIcons_, kStripColour);
    iconSlots.assign(static_cast<size_t>(IconSlotCount) + 1, IconSlot());
    // 5. Options, each applied through its menu command.
    store_ = std::make_unique<PrivateProfileStore>(ProgramFolder() + "\\settings.db", "Main");
    tray_ = std::make_unique<TrayIcon>();
    tray_->onItemChosen = [this](const std::string& caption) {
        Command c = TrayCaptionCommand(caption);
        if (c == Command::PopupSettings) {
            // A menu chosen from the tray menu opens where the pointer is, as everywhere,
            // not under the (hidden) bar's own button.
            POINT pointer{};
            GetCursorPos(&pointer);
            ShowSettingsMenu(pointer);
        } else if (c != Command::None) {
            commands_->Run(c);
        }
    };
    commands_ = std::make_unique<SettingsCommands>(options, *this, *store_);
    commands_->LoadOptions();
    HWND window = hwnd_;
    capture_ = std::make_unique<CaptureWorker>(
        [](const std::string& commandLine) { return CaptureSnapshotListing(commandLine); },
        [window](CaptureResult* result) {
            return PostMessageA(window, WM_APP_CAPTURED, 0, reinterpret_cast<LPARAM>(result)) !=
                   FALSE;
        });
    // 6. The details window loads hidden. 7. The ticker starts from its cache.
    InspectionSources sources;
    sources.slots = &iconSlots;
    sources.table = connectionTable.get();
    sources.rawListing = &txtNetstats;
    sources.snapshotBusy = [this] { return SnapshotBusy; };
    sources.segmentPid = [this] { return options.SegmentPID; };
    sources.resolveHosts = [this] { return options.ResolveHosts; };
    sources.countCaption = [this] {
        char caption[32] = {};
        GetWindowTextA(lblNetstatConnections_, caption, sizeof caption);
        return std::string(caption);
    };
    inspection_ = std::make_unique<InspectionWin>(std::move(sources));
    inspection_->terminateProcess = [this](const std::string& target) {
        termination_->OnDetailsTerminate(target);
    };
    inspection_->Create(GetModuleHandleA(nullptr));
    clock_ = std::make_unique<LocalClock>();
    CreateTicker();
    // 8. From now on every option command saves.
    commands_->OptionsLoaded = true;
    housekeeping_ = std::make_unique<Housekeeping>(*this, *store_, *clock_);
    housekeeping_->checkEveryTicks = DueCheckTicks(std::getenv(kDueCheckTicksVariable));
    // 9. Exit button.
    RECT client;
    GetClientRect(hwnd_, &client);
    Place(cmdExit_, LayOutBar(PixelsToTwips(client.right, dpiX_)).cmdExit);
    // 10. Tray icon when asked for.
    if (options.TrayIcon)
        SetupTrayIcon();
    // 11. Timers; the areas show.
    SetTimer(hwnd_, IDT_MAIN, 1000, nullptr);
    SetTimer(hwnd_, IDT_NETSTATS, static_cast<UINT>(RefreshMilliseconds(options.Refresh)), nullptr);
    ShowWindow(picNetstats_, SW_SHOW);
    ShowWindow(cmdExit_, SW_SHOW);
}

void MainForm::SetRefreshInterval(int milliseconds) {
    // SetTimer with the id of a running timer replaces its period in place.
    if (hwnd_ && OptionsLoaded())
        SetTimer(hwnd_, IDT_NETSTATS, static_cast<UINT>(milliseconds), nullptr);
}

void MainForm::SetNetstatsEnabled(bool enabled) {
    cmdNetstatsEnabled_ = enabled;
    EnableWindow(cmdNetstats_, enabled);
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
    SetWindowTextA(txtNetstats_, txtNetstats.c_str());
    // 8. The connection table, the count on the bar and in the tray, the icon slots.
    tableBuilder_.Build(txtNetstats, *connectionTable);
    SetWindowTextA(lblNetstatConnections_,
                   CountLabelText(connectionTable->ConnectionCount).c_str());
    if (options.TrayIcon && tray_)
        tray_->UpdateToolTip(
            TrayToolTipText(connectionTable->ConnectionCount, snapshotCommand.monitorKind));
    GroupSlotsWithVersions(*connectionTable,
                           {options.SegmentPID, ParseUnknownFilter(options.Unknown)}, iconSlots);
    if (iconStrip_)
        iconStrip_->ShowSlots();
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
    DetachDocking();
    if (options.TrayIcon)
        RemoveTrayIcon();
    if (about_)
        about_->Close();
    inspection_.reset();
    ticker_.reset();
    HWND window = hwnd_;
    hwnd_ = nullptr;
    DestroyWindow(window);
    return true;
}

void MainForm::SetupTrayIcon() {
    if (!tray_)
        return;
    if (!trayMenuBuilt_) {
        for (const std::string& caption : TrayMenuCaptions()) {
            int kind = caption == "-" ? TrayIcon::kSeparator : TrayIcon::kText;
            int position = tray_->AddMenuItem(kind, caption == "-" ? "" : caption);
            if (caption == "Active")
                trayActiveItem_ = position;
        }
        trayMenuBuilt_ = true;
    }
    tray_->toolTip = "Portlight\r\n   Monitoring Open Ports.";
    tray_->balloonText =
        "Kestro - Portlight is now monitoring your system ports for any internet connections.";
    tray_->balloonTitle = "Welcome to Kestro - Portlight";
    tray_->balloonTimeout = 10000;
    tray_->balloonIconKind = TrayIcon::kBalloonInfo;
    tray_->menuTitle = "        Portlight";
    tray_->icon = icon_;
    tray_->Show();
    SetTrayActiveCheck(commands_ && commands_->IsChecked(Command::Active));
}

void MainForm::RemoveTrayIcon() {
    if (tray_)
        tray_->Remove();
}

void MainForm::SetTrayActiveCheck(bool checked) {
    if (tray_ && trayActiveItem_ > 0)
        tray_->Item(trayActiveItem_).checked = checked;
}

void MainForm::ApplyStartWithWindows(bool on) {
    portlight::ApplyStartWithWindows(on, ProgramFolder());
}

void MainForm::OpenHelp() {
    OpenWebPage(kHelpPageAddress);
}

void MainForm::ShowAbout() {
    if (!about_)
        about_ = std::make_unique<AboutBox>();
    about_->Show(hwnd_, icon_);
}

void MainForm::PopupSettings() {
    if (!hwnd_ || !commands_)
        return;
    RECT r;
    GetWindowRect(cmdSettings_, &r);
    ShowSettingsMenu(POINT{r.left, r.bottom});
}

void MainForm::ShowSettingsMenu(POINT at) {
    if (!hwnd_ || !commands_)
        return;
    win32::Menu menu = CreateSettingsMenu(*commands_);
    // The bar must be in the foreground or the menu stays open after a click elsewhere.
    SetForegroundWindow(hwnd_);
    TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, hwnd_,
                     nullptr);
    PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void MainForm::QueryOnline() {
    DWORD flags = 0;
    IsOnline = InternetGetConnectedState(&flags, 0) != FALSE;
}

void MainForm::CreateTicker() {
    TickerSetup setup;
    setup.picTicker = picTicker_;
    setup.font = font_.get();
    setup.background = kTitleColour;
    setup.dpiX = dpiX_;
    setup.dpiY = dpiY_;
    RECT client;
    GetClientRect(hwnd_, &client);
    TwipRect box = LayOutBar(PixelsToTwips(client.right, dpiX_)).picTicker;
    setup.boxWidthTwips = box.width;
    setup.boxHeightTwips = box.height;
    setup.programFolder = ProgramFolder();
    setup.store = store_.get();
    setup.clock = clock_.get();
    setup.online = [this] { return IsOnline; };
    setup.sendUsage = [this] { return options.SendUsage; };
    setup.openLink = [](const std::string& link) { OpenWebPage(link); };
    ticker_ = std::make_unique<TickerWin>(std::move(setup));
    ticker_->LoadTickerCache();
}

void MainForm::TickerStep() {
    if (ticker_)
        ticker_->ShowNextTickerItem();
}

void MainForm::GetNewTickerText() {
    if (ticker_)
        ticker_->GetNewTickerText();
}

void MainForm::SendUsagePing() {
    if (ticker_)
        ticker_->SendUsagePing();
}

bool MainForm::ReportPending() {
    return inspection_ && inspection_->ReportPending();
}

void MainForm::RefreshNetstatsInfoBox() {
    if (inspection_)
        inspection_->RefreshNetstatsInfoBox();
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
            SendUsagePing();
            break;
        case IDC_COMMAND1:
            GetNewTickerText();
            break;
        case IDC_IMGICON:
            if (code == STN_CLICKED && ticker_)
                ticker_->LoadTickerCache();
            break;
        case IDC_LBLNETSTATCONNECTIONS:
            if (code == STN_CLICKED && inspection_)
                inspection_->RefreshListofConnections();
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
            if (reinterpret_cast<HWND>(lp) == lblNetstatConnections_) {
                SetTextColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
                SetBkColor(reinterpret_cast<HDC>(wp), kTitleColour);
                if (!titleBrush_)
                    titleBrush_.reset(CreateSolidBrush(kTitleColour));
                return reinterpret_cast<LRESULT>(titleBrush_.get());
            }
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
