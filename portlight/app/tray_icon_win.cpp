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

bool TrayIcon::Show() {
    if (!window_)
        return false;
    NOTIFYICONDATAA data = BaseData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon;
    CopyText(data.szTip, sizeof data.szTip, toolTip);
    if (!balloonText.empty()) {
        data.uFlags |= NIF_INFO;
        CopyText(data.szInfo, sizeof data.szInfo, balloonText);
        CopyText(data.szInfoTitle, sizeof data.szInfoTitle, balloonTitle);
        data.uTimeout = balloonTimeout;
        data.dwInfoFlags = static_cast<DWORD>(balloonIconKind);
    }
    shown_ = Shell_NotifyIconA(shown_ ? NIM_MODIFY : NIM_ADD, &data) != FALSE || shown_;
    return shown_;
}

void TrayIcon::UpdateToolTip(const std::string& text) {
    toolTip = text;
    if (!shown_)
        return;
    NOTIFYICONDATAA data = BaseData();
    data.uFlags = NIF_TIP;
    CopyText(data.szTip, sizeof data.szTip, toolTip);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void TrayIcon::Remove() {
    if (!shown_)
        return;
    NOTIFYICONDATAA data = BaseData();
    Shell_NotifyIconA(NIM_DELETE, &data);
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
            AppendMenuA(menu, MF_STRING | (item.checked ? MF_CHECKED : 0),
                        kFirstItemId + i, item.caption.c_str());
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
