#include "app/about_box_win.h"

#include "app/web_page_win.h"
#include "common/win32/window_win.h"
#include "display/version_info_win.h"
#include "resource.h"

namespace portlight {

namespace {

constexpr int kIdOk = 1;
constexpr int kIdLink = 100;

}  // namespace

void AboutBox::Show(HWND owner, HICON icon) {
    if (hwnd_) {
        SetForegroundWindow(hwnd_);
        return;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = win32::WindowProc<AboutBox, &AboutBox::OnMessage>;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = PORTLIGHT_ABOUT_CLASS;
    RegisterClassA(&wc);

    // The program's own version resource names the product.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    VersionInfo version;
    version.SetFileName(path);
    std::string title = "About " + version.ProductName();
    hwnd_ = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, PORTLIGHT_ABOUT_CLASS,
                            title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                            CW_USEDEFAULT, 340, 170, owner, nullptr, instance, this);
    if (!hwnd_)
        return;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto child = [&](const char* cls, const std::string& text, DWORD style, int x, int y, int w,
                     int h, int id) {
        HWND c =
            CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return c;
    };
    HWND iconControl = child("STATIC", "", SS_ICON, 16, 16, 32, 32, -1);
    SendMessageA(iconControl, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    child("STATIC", version.ProductName(), 0, 64, 16, 250, 18, -1);
    child("STATIC", "Version " + version.ProductVersion(), 0, 64, 36, 250, 18, -1);
    link_ = child("STATIC", kHomePageAddress, SS_NOTIFY, 64, 60, 250, 18, kIdLink);
    LOGFONTA lf = {};
    GetObjectA(font, sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectA(&lf));
    SendMessageA(link_, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
    child("BUTTON", "OK", BS_DEFPUSHBUTTON, 240, 100, 80, 26, kIdOk);

    RECT bar = {};
    GetWindowRect(owner, &bar);
    SetWindowPos(hwnd_, nullptr, bar.right - 360, bar.bottom + 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd_, SW_SHOW);
}

void AboutBox::Close() {
    if (hwnd_)
        DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    linkFont_.reset();
}

LRESULT AboutBox::OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wp) == kIdLink && HIWORD(wp) == STN_CLICKED)
                OpenWebPage(kHomePageAddress);
            else if (LOWORD(wp) == kIdOk)
                Close();
            return 0;
        case WM_CTLCOLORSTATIC:
            if (link_ && reinterpret_cast<HWND>(lp) == link_) {
                SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 204));
                SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_SETCURSOR:
            if (link_ && reinterpret_cast<HWND>(wp) == link_) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_CLOSE:
            Close();
            return 0;
    }
    return DefWindowProcA(window, message, wp, lp);
}

}  // namespace portlight
