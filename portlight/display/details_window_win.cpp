#include "display/details_window_win.h"

#include <commctrl.h>

#include "display/clipboard_win.h"
#include "display/details_ids.h"

namespace portlight {

namespace {

// The list: light yellow text on dark grey in bold 6-point "Terminal" (OEM character set).
constexpr COLORREF kListText = RGB(255, 255, 192);
constexpr COLORREF kListBack = RGB(64, 64, 64);
constexpr int kListFontPoints = 6;

struct ControlSpec {
    int id;
    const char* cls;
    DWORD style;
};

// Class, id and style of each control, in DetailsControl order.
const ControlSpec kControlSpecs[kDetailsControlCount] = {
    {kIdcPicNetstatsInfo, kDetailsPanelClass, WS_CLIPCHILDREN},
    {kIdcLstNetstatsInfo, "LISTBOX",
     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP},
    {kIdcLblNetstatsInfo, "STATIC", SS_LEFT | SS_CENTERIMAGE},
    {kIdcCmdNetstatsRefresh, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP},
    {kIdcCmdNetstatsTerminate, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED},
    {kIdcCmdNetstatsWhoIs, "BUTTON", BS_PUSHBUTTON | WS_DISABLED},
    {kIdcCmdNetstatsPing, "BUTTON", BS_PUSHBUTTON | WS_DISABLED},
    {kIdcCmdNetstatsTrace, "BUTTON", BS_PUSHBUTTON | WS_DISABLED},
    {kIdcCmdNetstatsCopy, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP},
    {kIdcCmdExitNetstatInfo, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP},
};

// Line `index` of a list box; LB_GETTEXT writes the text and its terminating NUL.
std::string LineText(HWND list, int index) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length <= 0)
        return {};
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR)
        return {};
    return std::string(text.data(), static_cast<size_t>(copied));
}

DetailsWindow* WindowOf(HWND window) {
    return reinterpret_cast<DetailsWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void RegisterClasses(HINSTANCE instance, WNDPROC window, WNDPROC panel) {
    WNDCLASSA details = {};
    details.lpfnWndProc = window;
    details.hInstance = instance;
    details.hCursor = LoadCursor(nullptr, IDC_ARROW);
    details.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    details.lpszClassName = kDetailsWindowClass;
    RegisterClassA(&details);  // fails harmlessly when already registered

    WNDCLASSA container = {};
    container.lpfnWndProc = panel;
    container.hInstance = instance;
    container.hCursor = LoadCursor(nullptr, IDC_ARROW);
    container.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    container.lpszClassName = kDetailsPanelClass;
    RegisterClassA(&container);
}

}  // namespace

DetailsWindow::~DetailsWindow() {
    if (hwnd_ && IsWindow(hwnd_)) {
        KillTimer(hwnd_, kIdtRefresh);
        // No message may reach this object once it is gone.
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (tooltip_ && IsWindow(tooltip_))
        DestroyWindow(tooltip_);
}

bool DetailsWindow::Create(HINSTANCE instance) {
    RegisterClasses(instance, WindowProc, PanelProc);
    win32::ScreenDC screen = win32::GetScreenDC();
    const int dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
    screen.reset();
    layout_ = DesignLayoutInPixels(dpiX, dpiY);

    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, layout_.clientWidth, layout_.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    hwnd_ = CreateWindowExA(0, kDetailsWindowClass, kDetailsWindowCaption, style,
                            work.left + (work.right - work.left - width) / 2,
                            work.top + (work.bottom - work.top - height) / 2, width, height,
                            nullptr, nullptr, instance, this);
    if (!hwnd_)
        return false;
    listFont_.reset(CreateFontA(-MulDiv(kListFontPoints, dpiY, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                                FALSE, OEM_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Terminal"));
    listBrush_.reset(CreateSolidBrush(kListBack));
    CreateControls(instance);
    SetHorizontalExtent();
    SetTimer(hwnd_, kIdtRefresh, kRefreshMilliseconds, nullptr);
    return true;
}

void DetailsWindow::CreateControls(HINSTANCE instance) {
    const auto& design = DetailsDesignTable();
    HWND panel = nullptr;
    HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));  // stock: not deleted
    for (int i = 0; i < kDetailsControlCount; ++i) {
        const ControlSpec& spec = kControlSpecs[i];
        const LayoutRect& r = layout_.controls[i];
        const std::string caption(design[i].caption);
        HWND control = CreateWindowExA(
            0, spec.cls, caption.c_str(), WS_CHILD | WS_VISIBLE | spec.style, r.left, r.top,
            r.width, r.height, panel ? panel : hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
        if (!panel)
            panel = control;
        const bool fixedPitch = spec.id == kIdcLstNetstatsInfo || spec.id == kIdcLblNetstatsInfo;
        SendMessageA(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(fixedPitch ? listFont_.get() : guiFont), FALSE);
        controls_.push_back(control);
    }
    SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                               nullptr, instance, nullptr);
    for (int i = 0; i < kDetailsControlCount; ++i) {
        if (design[i].toolTip.empty())
            continue;
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = panel;
        tool.uId = reinterpret_cast<UINT_PTR>(controls_[i]);
        // The design table's texts are literals: they outlive the tool.
        tool.lpszText = const_cast<char*>(design[i].toolTip.data());
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void DetailsWindow::SetHorizontalExtent() {
    HWND list = Control(DetailsControl::lstNetstatsInfo);
    for (const char* sample : {"Short", "Short string", kLongSampleLine})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sample));
    SIZE size = {};
    {
        // The extent depends on the font alone, so any screen-compatible DC measures it.
        win32::ScreenDC dc = win32::GetScreenDC();
        win32::SelectObjectScope font(dc.get(), listFont_.get());
        GetTextExtentPoint32A(dc.get(), kLongSampleLine,
                              static_cast<int>(sizeof kLongSampleLine - 1), &size);
    }
    SendMessageA(list, LB_SETHORIZONTALEXTENT, size.cx + kHorizontalExtentMargin, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

HWND DetailsWindow::Control(DetailsControl which) const {
    const auto i = static_cast<size_t>(which);
    return i < controls_.size() ? controls_[i] : nullptr;
}

void DetailsWindow::Show() {
    if (IsWindowVisible(hwnd_))
        return;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
}

void DetailsWindow::Exit() {
    DetailsActive = false;
    ShowWindow(hwnd_, SW_HIDE);
}

void DetailsWindow::ClearList() {
    SendMessageA(Control(DetailsControl::lstNetstatsInfo), LB_RESETCONTENT, 0, 0);
}

void DetailsWindow::SetLines(const std::vector<std::string>& lines) {
    HWND list = Control(DetailsControl::lstNetstatsInfo);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void DetailsWindow::ReplaceLine(int index, const std::string& text) {
    HWND list = Control(DetailsControl::lstNetstatsInfo);
    if (index < 0 || index >= LineCount())
        return;
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    SendMessageA(list, LB_DELETESTRING, index, 0);
    SendMessageA(list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
    if (selected == index)
        SendMessageA(list, LB_SETCURSEL, index, 0);
}

int DetailsWindow::LineCount() const {
    LRESULT count = SendMessageA(Control(DetailsControl::lstNetstatsInfo), LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::vector<std::string> DetailsWindow::Lines() const {
    HWND list = Control(DetailsControl::lstNetstatsInfo);
    std::vector<std::string> lines;
    for (int i = 0; i < LineCount(); ++i) {
        lines.push_back(LineText(list, i));
    }
    return lines;
}

void DetailsWindow::ShowList(bool visible) {
    ShowWindow(Control(DetailsControl::lstNetstatsInfo), visible ? SW_SHOW : SW_HIDE);
}

void DetailsWindow::ShowExitButton() {
    ShowWindow(Control(DetailsControl::cmdExitNetstatInfo), SW_SHOW);
}

void DetailsWindow::SetStatus(const std::string& text) {
    SetWindowTextA(Control(DetailsControl::lblNetstatsInfo), text.c_str());
}

void DetailsWindow::Select(int index) {
    SendMessageA(Control(DetailsControl::lstNetstatsInfo), LB_SETCURSEL, index, 0);
    OnSelectionChanged();
}

bool DetailsWindow::SelectedLine(std::string& line) const {
    HWND list = Control(DetailsControl::lstNetstatsInfo);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return false;
    line = LineText(list, static_cast<int>(index));
    return true;
}

void DetailsWindow::Copy() {
    std::string line;
    const bool selected = SelectedLine(line);
    PutClipboardText(hwnd_, CopyText(selected ? &line : nullptr));
}

void DetailsWindow::EnableTerminate(bool enabled) {
    EnableWindow(Control(DetailsControl::cmdNetstatsTerminate), enabled);
}

void DetailsWindow::OnSelectionChanged() {
    EnableTerminate(false);
    for (DetailsControl c : {DetailsControl::cmdNetstatsWhoIs, DetailsControl::cmdNetstatsPing,
                             DetailsControl::cmdNetstatsTrace})
        EnableWindow(Control(c), FALSE);
    std::string line;
    if (!SelectedLine(line))
        return;
    SelectionOutcome outcome = portlight::SelectLine(line);
    if (outcome.terminateEnabled) {
        EnableTerminate(true);
        terminationTarget = outcome.terminationTarget;
    }
}

void DetailsWindow::OnCommand(int id, int code) {
    switch (id) {
        case kIdcLstNetstatsInfo:
            if (code == LBN_SELCHANGE)
                OnSelectionChanged();
            break;
        case kIdcCmdNetstatsRefresh:
            if (handlers.Refresh)
                handlers.Refresh();
            break;
        case kIdcCmdNetstatsTerminate:
            if (handlers.Terminate)
                handlers.Terminate(terminationTarget);
            break;
        case kIdcCmdNetstatsWhoIs:
        case kIdcCmdNetstatsPing:
        case kIdcCmdNetstatsTrace: {
            // Never enabled: whois, ping and trace route are not part of the bar. The address
            // they would act on is the selected line's value.
            std::string line;
            const bool selected = SelectedLine(line);
            (void)CopyText(selected ? &line : nullptr);
            break;
        }
        case kIdcCmdNetstatsCopy:
            Copy();
            break;
        case kIdcCmdExitNetstatInfo:
            Exit();
            break;
        default:
            break;
    }
}

void DetailsWindow::OnTimer() {
    TimerAction action = TimerTickAction(DetailsActive, LineCount() == 0);
    if (action.refresh && handlers.Refresh)
        handlers.Refresh();
    if (action.disableTerminate)
        EnableTerminate(false);
    if (action.disableCopy)
        EnableWindow(Control(DetailsControl::cmdNetstatsCopy), FALSE);
    if (action.enableCopy)
        EnableWindow(Control(DetailsControl::cmdNetstatsCopy), TRUE);
}

void DetailsWindow::OnSize(WPARAM kind, int width, int height) {
    if (controls_.size() != static_cast<size_t>(kDetailsControlCount))
        return;
    auto scaled = ScaleLayout(layout_, width, height, kind == SIZE_MINIMIZED);
    if (!scaled)
        return;
    for (size_t i = 0; i < scaled->size(); ++i) {
        const LayoutRect& r = (*scaled)[i];
        // A control that refuses the new place keeps its old one.
        MoveWindow(controls_[i], r.left, r.top, r.width, r.height, TRUE);
    }
}

LRESULT DetailsWindow::HandleMessage(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_TIMER:
            if (wp == kIdtRefresh)
                OnTimer();
            return 0;
        case WM_SIZE:
            OnSize(wp, LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_CTLCOLORLISTBOX:
            SetTextColor(reinterpret_cast<HDC>(wp), kListText);
            SetBkColor(reinterpret_cast<HDC>(wp), kListBack);
            return reinterpret_cast<LRESULT>(listBrush_.get());
        case WM_CLOSE:
            // The window is hidden, not destroyed: it is loaded once for the whole run.
            Exit();
            return 0;
        default:
            if (message == kWmHostAnswers) {
                if (handlers.HostAnswers)
                    handlers.HostAnswers();
                return 0;
            }
            break;
    }
    return DefWindowProcA(hwnd_, message, wp, lp);
}

LRESULT CALLBACK DetailsWindow::WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<DetailsWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = window;
    }
    DetailsWindow* self = WindowOf(window);
    if (!self)
        return DefWindowProcA(window, message, wp, lp);
    try {
        return self->HandleMessage(message, wp, lp);
    } catch (...) {
        // No exception may cross into the system's message dispatch.
        return DefWindowProcA(window, message, wp, lp);
    }
}

LRESULT CALLBACK DetailsWindow::PanelProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        // The controls sit in the container; their reports belong to the window.
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORLISTBOX:
            if (WindowOf(window))
                return SendMessageA(GetParent(window), message, wp, lp);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

}  // namespace portlight
