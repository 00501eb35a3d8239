#include "app/tray_icon_win.h"

#include <cstring>

#include "common/win32/handles_win.h"
#include "common/win32/window_win.h"
#include "resource.h"

namespace portlight {

namespace {

constexpr UINT kCallbackMessage = WM_APP + 10;
constexpr UINT kIconId = 1;
constexpr UINT kFirstItemId = 100;  // menu command of item n is kFirstItemId + n
constexpr UINT_PTR kRetryTimerId = 1;
// How often an icon the shell refused is offered again.
constexpr UINT kRetryIntervalMs = 2000;

// The shell sends this to every top-level window when it (re)starts; its icons are gone.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// An elevated bar (it writes the machine-wide Run key) would not receive the restarted
// shell's message without this. ChangeWindowMessageFilter is missing before Vista.
void AcceptFromShell(UINT message) {
    using ChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto change = user ? reinterpret_cast<ChangeFilter>(reinterpret_cast<void*>(
                             GetProcAddress(user, "ChangeWindowMessageFilter")))
                       : nullptr;
    if (change)
        change(message, 1 /* MSGFLT_ADD */);
}

void CopyText(char* target, size_t size, const std::string& text) {
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

}  // namespace

TrayIcon::TrayIcon() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = win32::WindowProc<TrayIcon, &TrayIcon::OnMessage>;
    wc.hInstance = instance;
    wc.lpszClassName = PORTLIGHT_TRAY_CLASS;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    // A hidden top-level window rather than a message-only one: the menu needs a window
    // that can be brought to the foreground.
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, PORTLIGHT_TRAY_CLASS, "", WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, instance, this);
    AcceptFromShell(TaskbarCreatedMessage());
}

TrayIcon::~TrayIcon() {
    Remove();
    if (window_)
        DestroyWindow(window_);
}

int TrayIcon::AddMenuItem(int kind, const std::string& caption, UINT /*flags*/) {
    items_.push_back(MenuItem{kind, caption, false});
    return static_cast<int>(items_.size());
}

NOTIFYICONDATAA TrayIcon::BaseData() const {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kIconId;
    return data;
}

NOTIFYICONDATAA TrayIcon::IconData(bool withBalloon) const {
    NOTIFYICONDATAA data = BaseData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon;
    CopyText(data.szTip, sizeof data.szTip, toolTip);
    if (withBalloon && !balloonText.empty()) {
        data.uFlags |= NIF_INFO;
        CopyText(data.szInfo, sizeof data.szInfo, balloonText);
        CopyText(data.szInfoTitle, sizeof data.szInfoTitle, balloonTitle);
        data.uTimeout = balloonTimeout;
        data.dwInfoFlags = static_cast<DWORD>(balloonIconKind);
    }
    return data;
}

bool TrayIcon::Add(bool withBalloon) {
    NOTIFYICONDATAA data = IconData(withBalloon);
    // An add fails also when the shell still holds the icon (some shells announce
    // themselves again without a restart); the icon is there, so a modify then succeeds.
    shown_ = notify(NIM_ADD, &data) != FALSE || notify(NIM_MODIFY, &data) != FALSE;
    if (shown_)
        KillTimer(window_, kRetryTimerId);
    else
        SetTimer(window_, kRetryTimerId, kRetryIntervalMs, nullptr);
    return shown_;
}

bool TrayIcon::Show() {
    if (!window_)
        return false;
    wanted_ = true;
    if (!shown_)
        return Add(true);
    NOTIFYICONDATAA data = IconData(true);
    notify(NIM_MODIFY, &data);
    return true;
}

void TrayIcon::OnTimer() {
    if (wanted_ && !shown_)
        Add(true);  // the welcome balloon has not been seen yet
    else
        KillTimer(window_, kRetryTimerId);
}

void TrayIcon::OnTaskbarCreated() {
    // The new shell holds none of the old icons; the welcome is not repeated.
    if (wanted_)
        Add(false);
}

void TrayIcon::UpdateToolTip(const std::string& text) {
    toolTip = text;
    if (!shown_)
        return;
    NOTIFYICONDATAA data = BaseData();
    data.uFlags = NIF_TIP;
    CopyText(data.szTip, sizeof data.szTip, toolTip);
    notify(NIM_MODIFY, &data);
}

void TrayIcon::Remove() {
    wanted_ = false;
    if (window_)
        KillTimer(window_, kRetryTimerId);
    if (!shown_)
        return;
    NOTIFYICONDATAA data = BaseData();
    notify(NIM_DELETE, &data);
    shown_ = false;
}

void TrayIcon::ShowMenu() {
    win32::Menu owner(CreatePopupMenu());
    if (!owner)
        return;
    HMENU menu = owner.get();
    if (!menuTitle.empty()) {
        AppendMenuA(menu, MF_STRING | MF_DISABLED, 0, menuTitle.c_str());
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    }
    for (size_t i = 0; i < items_.size(); ++i) {
        const MenuItem& item = items_[i];
        if (item.kind == kSeparator)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(menu, MF_STRING | (item.checked ? MF_CHECKED : 0), kFirstItemId + i,
                        item.caption.c_str());
    }
    POINT at;
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window_);
    UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, window_, nullptr));
    PostMessageA(window_, WM_NULL, 0, 0);
    owner.reset();
    if (chosen >= kFirstItemId && chosen - kFirstItemId < items_.size() && onItemChosen)
        onItemChosen(items_[chosen - kFirstItemId].caption);
}

LRESULT TrayIcon::OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == kCallbackMessage) {
        UINT event = LOWORD(lp);
        if (event == WM_RBUTTONUP || event == WM_LBUTTONUP || event == WM_CONTEXTMENU)
            ShowMenu();
        return 0;
    }
    if (message == WM_TIMER && wp == kRetryTimerId) {
        OnTimer();
        return 0;
    }
    if (message == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return 0;
    }
    // Test hook and keyboard-free access: WM_COMMAND with an item's position chooses it.
    if (message == WM_COMMAND && LOWORD(wp) >= kFirstItemId) {
        size_t index = LOWORD(wp) - kFirstItemId;
        if (index < items_.size() && items_[index].kind == kText && onItemChosen)
            onItemChosen(items_[index].caption);
        return 0;
    }
    return DefWindowProcA(window, message, wp, lp);
}

}  // namespace portlight
