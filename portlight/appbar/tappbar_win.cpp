#include "appbar/tappbar_win.h"

#include <shellapi.h>

#include "appbar/cbappbar_win.h"
#include "common/win32/handles_win.h"

namespace appbar {
namespace {

// The shell reads the 36-byte block of a 32-bit process; the protocol fixes this size.
static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36);

RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}
Rect FromRECT(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

HKEY RootKey(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root));
}

}  // namespace

bool SetStyleBits(HWND window, int index, DWORD clear, DWORD set, UINT extraFlags, bool hide) {
    const DWORD old = static_cast<DWORD>(GetWindowLongA(window, index));
    const DWORD now = (old & ~clear) | set;
    if (now == old) {
        return false;
    }
    // Only a window that is visible now is hidden and shown again; an invisible one stays
    // invisible (its owner shows it when it is ready).
    const bool hidden = hide && IsWindowVisible(window);
    if (hidden) {
        ShowWindow(window, SW_HIDE);
    }
    SetWindowLongA(window, index, static_cast<LONG>(now));
    if (hidden) {
        ShowWindow(window, SW_SHOW);
    }
    if (extraFlags != 0) {
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | extraFlags);
    }
    return true;
}

ScreenMetrics AppBarHostWin::Metrics() {
    return {{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
            {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)},
            {GetSystemMetrics(SM_CXDOUBLECLK), GetSystemMetrics(SM_CYDOUBLECLK)},
            {GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)}};
}

Rect AppBarHostWin::WorkArea() {
    RECT r{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) {
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return FromRECT(r);
}

bool AppBarHostWin::DragFullWindows() {
    BOOL full = FALSE;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    return full != FALSE;
}

uint32_t AppBarHostWin::TickCount() {
    return GetTickCount();
}

uintptr_t AppBarHostWin::WindowHandle() {
    return reinterpret_cast<uintptr_t>(form_);
}

uintptr_t AppBarHostWin::ShellMessage(uint32_t message, int32_t edge, intptr_t lParam, Rect* rect) {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = form_;
    data.uCallbackMessage = kCallbackMessage;
    data.uEdge = static_cast<UINT>(edge);
    if (rect) {
        data.rc = ToRECT(*rect);
    }
    data.lParam = lParam;
    const UINT_PTR result = SHAppBarMessage(message, &data);
    if (rect) {
        *rect = FromRECT(data.rc);
    }
    return result;
}

void AppBarHostWin::AttachWindowProc(TAppBar& bar) {
    CBAppBar::AttachWindowProc(form_, &bar);
}

void AppBarHostWin::DetachWindowProc() {
    CBAppBar::DetachWindowProc();
}

void AppBarHostWin::StartTimer(uint32_t intervalMs) {
    SetTimer(form_, kAutoHideTimerId, intervalMs, nullptr);
}

void AppBarHostWin::StopTimer() {
    KillTimer(form_, kAutoHideTimerId);
}

void AppBarHostWin::RemoveSizeCommands() {
    HMENU menu = GetSystemMenu(form_, FALSE);  // owned by the window
    if (!menu) {
        return;
    }
    DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
}

Rect AppBarHostWin::WindowRect() {
    RECT r{};
    GetWindowRect(form_, &r);
    return FromRECT(r);
}

void AppBarHostWin::SlideStep(const Rect& r) {
    SetWindowPos(form_, nullptr, r.left, r.top, r.width(), r.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    UpdateWindow(form_);
}

void AppBarHostWin::PlaceWindow(const Rect& r) {
    SetWindowPos(form_, nullptr, r.left, r.top, r.width(), r.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void AppBarHostWin::SetZOrder(ZOrder z) {
    HWND after = HWND_NOTOPMOST;
    if (z == ZOrder::Topmost) {
        after = HWND_TOPMOST;
    } else if (z == ZOrder::Bottom) {
        after = HWND_BOTTOM;
    }
    SetWindowPos(form_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void AppBarHostWin::SetCaption(bool on) {
    const DWORD bits = WS_CAPTION | WS_SYSMENU;
    SetStyleBits(form_, GWL_STYLE, on ? 0 : bits, on ? bits : 0, SWP_FRAMECHANGED, false);
}

void AppBarHostWin::SetTaskbarButton(bool on) {
    SetStyleBits(form_, GWL_EXSTYLE, on ? 0 : WS_EX_APPWINDOW, on ? WS_EX_APPWINDOW : 0, 0, true);
}

void AppBarHostWin::ShowConflictMessage(const std::string& text) {
    char caption[256] = {};
    GetWindowTextA(form_, caption, sizeof caption);
    MessageBoxA(form_, text.c_str(), caption, MB_OK | MB_ICONINFORMATION);
}

bool AppBarHostWin::HostIsActive() {
    return GetActiveWindow() == form_;
}

uint32_t AppBarHostWin::LastMessagePos() {
    return static_cast<uint32_t>(GetMessagePos());
}

bool AppBarHostWin::CtrlKeyDown() {
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

bool AppBarHostWin::PrimaryButtonDown() {
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(button) & 0x8000) != 0;
}

Point AppBarHostWin::ScreenToClient(Point p) {
    POINT pt{p.x, p.y};
    ::ScreenToClient(form_, &pt);
    return {pt.x, pt.y};
}

Size AppBarHostWin::ClientSize() {
    RECT r{};
    GetClientRect(form_, &r);
    return {r.right, r.bottom};
}

std::vector<ControlBox> AppBarHostWin::Controls() {
    std::vector<ControlBox> out;
    for (HWND child = GetWindow(form_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&r), 2);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        out.push_back({FromRECT(r), (style & WS_VISIBLE) != 0, (style & WS_DISABLED) == 0});
    }
    return out;
}

std::optional<std::vector<uint8_t>> AppBarHostWin::ReadRecordValue(uint32_t root,
                                                                   const std::string& path) {
    win32::RegKey key;
    if (RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // Room for two bytes more than a record, but only a record's size offered: a longer
    // value fails with ERROR_MORE_DATA instead of being cut to size.
    std::vector<uint8_t> buffer(kRecordSize + 2, 0);
    DWORD size = kRecordSize;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, buffer.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    buffer.resize(size);
    return buffer;
}

bool AppBarHostWin::WriteRecordValue(uint32_t root,
                                     const std::string& path,
                                     const RecordBytes& bytes) {
    win32::RegKey key;
    if (RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        key.out(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExA(key.get(), nullptr, 0, REG_BINARY, bytes.data(),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace appbar
