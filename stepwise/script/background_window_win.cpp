#include "script/background_window_win.h"

#include <optional>

#include "common/win32/handles_win.h"
#include "common/win32/window_win.h"

namespace stepwise {

namespace {

constexpr char kClassName[] = "StepwiseBackground";
constexpr char kCaption[] = "Corvane Stepwise";
constexpr int kTitleHeight = 40;

// MAINWINDOW "4": the fill colour, or nullopt for the device context's default (white).
std::optional<COLORREF> FillColour(const std::string& name) {
    if (name == "Blue")
        return RGB(0, 0, 255);
    if (name == "Green" || name.empty())
        return RGB(0, 128, 128);
    if (name == "Red")
        return RGB(255, 0, 0);
    return std::nullopt;
}

}  // namespace

BackgroundWindow::~BackgroundWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

bool BackgroundWindow::Create(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = win32::WindowProc<BackgroundWindow, &BackgroundWindow::OnMessage>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    // Created at the size of the work area, so the window covers it even where the
    // maximised state is left to a window manager that is not there (Wine under a bare X
    // server keeps the restored size).
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, kClassName, kCaption, WS_OVERLAPPEDWINDOW, area.left,
                            area.top, area.right - area.left, area.bottom - area.top, nullptr,
                            nullptr, instance, this);
    if (!hwnd_)
        return false;
    ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
    UpdateWindow(hwnd_);
    return true;
}

LRESULT BackgroundWindow::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills the whole client area
        case WM_PAINT:
            Paint();
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void BackgroundWindow::Paint() {
    win32::PaintScope paint(hwnd_);
    HDC dc = paint.dc();
    RECT client;
    GetClientRect(hwnd_, &client);
    std::optional<COLORREF> colour = FillColour(context_.Read("MAINWINDOW", "4"));
    win32::Brush brush(CreateSolidBrush(colour.value_or(RGB(255, 255, 255))));
    FillRect(dc, &client, brush.get());

    std::string title = context_.Read("MAINWINDOW", "1");
    win32::Font font(CreateFontA(kTitleHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_ROMAN, "Times New Roman"));
    {
        win32::SelectObjectScope select(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, 24, 14, title.c_str(), static_cast<int>(title.size()));
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, 21, 11, title.c_str(), static_cast<int>(title.size()));
    }
}

}  // namespace stepwise
