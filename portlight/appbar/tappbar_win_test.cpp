// The docking object on a plain window of its own, against the real shell, window manager
// and registry (under Wine in the test run).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "appbar/cbappbar_win.h"
#include "appbar/tappbar_win.h"
#include "common/win32/handles_win.h"

namespace appbar {
namespace {

// What the test window's own procedure saw and answers.
struct ProcLog {
    std::vector<UINT> seen;
    std::vector<int> tops;  // window tops after each position change
    LRESULT hitTest = HTCLIENT;
};
ProcLog g_log;

constexpr LRESULT kPreviousResult = 4242;

LRESULT CALLBACK TestProc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    g_log.seen.push_back(message);
    switch (message) {
        case WM_NCHITTEST:
            return g_log.hitTest;
        case WM_WINDOWPOSCHANGED:
            g_log.tops.push_back(reinterpret_cast<WINDOWPOS*>(lp)->y);
            return DefWindowProcA(w, message, wp, lp);
        case WM_NCMOUSEMOVE:
        case WM_ACTIVATE:
        case WM_SIZING:
        case WM_MOVING:
        case WM_USER + 100:
            return kPreviousResult;
        default:
            return DefWindowProcA(w, message, wp, lp);
    }
}

bool Saw(UINT message) {
    for (UINT m : g_log.seen) {
        if (m == message) {
            return true;
        }
    }
    return false;
}

// Records the conflict message instead of showing a modal box.
class QuietHost : public AppBarHostWin {
  public:
    using AppBarHostWin::AppBarHostWin;
    void ShowConflictMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class Window {
  public:
    explicit Window(DWORD style = WS_POPUP | WS_THICKFRAME, const char* title = "AppBar test") {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = TestProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
            wc.lpszClassName = "AppBarTestWindow";
            registered = RegisterClassA(&wc) != 0;
        }
        hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, "AppBarTestWindow", title, style, 200, 150, 400,
                               90, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    ~Window() { DestroyWindow(hwnd); }
    RECT Rect() const {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return r;
    }
    HWND hwnd;
};

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int ScreenW() {
    return GetSystemMetrics(SM_CXSCREEN);
}

void DockTop(TAppBar& bar, bool autoHide) {
    bar.Extends();
    bar.SetTaskbarButton(TaskbarNever);
    bar.SetSlideEffect(false);
    bar.SetHorzSizeStep(0);
    bar.SetVertSizeStep(0);
    bar.SetAutoHide(autoHide);
    bar.SetAllowedEdges(AllowTop);
    bar.SetEdge(EdgeTop);
}

// Which messages reach the object before the previous procedure, which after, and what
// each returns.
TEST(CBAppBarWin, MessageTable) {
    Window w;
    const auto original = GetWindowLongPtrA(w.hwnd, GWLP_WNDPROC);
    QuietHost host(w.hwnd);
    TAppBar bar(host);
    DockTop(bar, false);
    EXPECT_EQ(GetWindowLongPtrA(w.hwnd, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&CBAppBar::AppBarWindowProc));

    // Answered by the object with 0; the previous procedure never sees them.
    g_log.seen.clear();
    MINMAXINFO info{};
    EXPECT_EQ(SendMessageA(w.hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMaxTrackSize.y, bar.DockedMaxHeight());
    RECT sizing{0, 0, 500, 77};
    bar.SetVertSizeStep(10);
    EXPECT_EQ(SendMessageA(w.hwnd, WM_SIZING, WMSZ_BOTTOM, reinterpret_cast<LPARAM>(&sizing)), 0);
    EXPECT_EQ(sizing.bottom, 80);
    bar.SetVertSizeStep(0);
    EXPECT_EQ(SendMessageA(w.hwnd, WM_USER + 100, ABN_STATECHANGE, 0), 0);
    EXPECT_EQ(SendMessageA(w.hwnd, WM_ENTERSIZEMOVE, 0, 0), 0);
    RECT moving = w.Rect();
    OffsetRect(&moving, 0, 300);
    EXPECT_EQ(SendMessageA(w.hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving)), 0);
    EXPECT_EQ(moving.top, 0);  // only the top edge is allowed
    EXPECT_EQ(SendMessageA(w.hwnd, WM_EXITSIZEMOVE, 0, 0), 0);
    for (UINT m : {WM_GETMINMAXINFO, WM_SIZING, WM_USER + 100, WM_ENTERSIZEMOVE, WM_MOVING,
                   WM_EXITSIZEMOVE}) {
        EXPECT_FALSE(Saw(m)) << m;
    }

    // Passed on, with the previous procedure's result.
    g_log.seen.clear();
    EXPECT_EQ(SendMessageA(w.hwnd, WM_NCMOUSEMOVE, HTBORDER, 0), kPreviousResult);
    EXPECT_EQ(SendMessageA(w.hwnd, WM_ACTIVATE, WA_INACTIVE, 0), kPreviousResult);
    SendMessageA(w.hwnd, WM_TIMER, 77, 0);
    EXPECT_TRUE(Saw(WM_NCMOUSEMOVE));
    EXPECT_TRUE(Saw(WM_ACTIVATE));
    EXPECT_TRUE(Saw(WM_TIMER));

    // Hit-testing runs after the previous procedure and may replace its code.
    g_log.hitTest = HTBOTTOM;
    EXPECT_EQ(SendMessageA(w.hwnd, WM_NCHITTEST, 0, MAKELPARAM(10, 79)), HTBORDER);
    g_log.hitTest = HTCLIENT;
    EXPECT_EQ(SendMessageA(w.hwnd, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTCLIENT);
    EXPECT_TRUE(Saw(WM_NCHITTEST));

    bar.Detach();
    EXPECT_EQ(GetWindowLongPtrA(w.hwnd, GWLP_WNDPROC), original);
}

// Docked at the top without auto-hide: full width, the docked height, topmost, no caption,
// no taskbar button; the topmost style follows AlwaysOnTop at the next UpdateBar.
TEST(TAppBarWin, DocksAtTopAndFollowsAlwaysOnTop) {
    Window w;
    QuietHost host(w.hwnd);
    TAppBar bar(host);
    DockTop(bar, false);
    Pump();
    const RECT r = w.Rect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, ScreenW());
    EXPECT_EQ(r.bottom, 80);
    const LONG style = GetWindowLongA(w.hwnd, GWL_STYLE);
    const LONG ex = GetWindowLongA(w.hwnd, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(ex & WS_EX_APPWINDOW, 0);
    EXPECT_NE(ex & WS_EX_TOPMOST, 0);
    HMENU system = GetSystemMenu(w.hwnd, FALSE);
    ASSERT_NE(system, nullptr);
    for (UINT command : {SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE}) {
        EXPECT_EQ(GetMenuState(system, command, MF_BYCOMMAND), static_cast<UINT>(-1)) << command;
    }
    EXPECT_NE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    bar.SetAlwaysOnTop(false);
    bar.UpdateBar();
    EXPECT_EQ(GetWindowLongA(w.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    bar.SetAlwaysOnTop(true);
    bar.UpdateBar();
    EXPECT_NE(GetWindowLongA(w.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // Floating: a caption, a taskbar button (TaskbarButton 2) and the floating rectangle.
    bar.SetTaskbarButton(TaskbarWhenFloating);
    bar.SetFloatRect({200, 150, 600, 240});
    bar.SetEdge(EdgeFloat);
    EXPECT_NE(GetWindowLongA(w.hwnd, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_NE(GetWindowLongA(w.hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    EXPECT_TRUE(IsWindowVisible(w.hwnd));
    EXPECT_EQ(w.Rect().left, 200);
    EXPECT_EQ(w.Rect().bottom, 240);
    bar.Detach();
}

// A second space-reserving bar on the same edge is docked below the first, as the shell
// trims the space the first one holds. (Wine's shell does this but leaves the desktop work
// area whole.)
TEST(TAppBarWin, SecondReservingBarStacksBelowTheFirst) {
    Window first;
    QuietHost firstHost(first.hwnd);
    TAppBar firstBar(firstHost);
    DockTop(firstBar, false);
    Window second;
    QuietHost secondHost(second.hwnd);
    TAppBar secondBar(secondHost);
    secondBar.SetDockedHeight(50);
    DockTop(secondBar, false);
    EXPECT_EQ(second.Rect().top, 80);
    EXPECT_EQ(second.Rect().bottom, 130);
    EXPECT_EQ(second.Rect().right, ScreenW());
    secondBar.Detach();
    firstBar.Detach();
}

// An auto-hide bar hides with 2 x SM_CYBORDER rows on screen and slides in and out.
TEST(TAppBarWin, AutoHideLeavesTwoBorderRows) {
    Window w;
    QuietHost host(w.hwnd);
    TAppBar bar(host);
    DockTop(bar, true);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(w.Rect().bottom, 2 * GetSystemMetrics(SM_CYBORDER));
    EXPECT_EQ(w.Rect().bottom - w.Rect().top, 80);
    bar.SetSlideEffect(true);
    bar.SetSlideTime(150);
    SendMessageA(w.hwnd, WM_NCMOUSEMOVE, HTBORDER, 0);
    EXPECT_EQ(w.Rect().top, 0);
    EXPECT_TRUE(bar.AutoHideShown());
    SendMessageA(w.hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(w.Rect().bottom, 2 * GetSystemMetrics(SM_CYBORDER));

    bar.Detach();
}

// Full-window dragging switched on for this session only, and back off again.
class DragFullWindows {
  public:
    DragFullWindows() {
        SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &old_, 0);
        SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
    }
    ~DragFullWindows() { SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, old_, nullptr, 0); }

  private:
    BOOL old_ = FALSE;
};

// With the effect on and full-window dragging on, the bar passes through intermediate
// positions, each repainted, and ends exactly in place; with dragging off it jumps.
TEST(TAppBarWin, SlideAnimatesOnlyWithFullWindowDrag) {
    Window w;
    QuietHost host(w.hwnd);
    TAppBar bar(host);
    DockTop(bar, true);
    bar.SetSlideEffect(true);
    bar.SetSlideTime(300);
    const int hiddenTop = 2 * GetSystemMetrics(SM_CYBORDER) - 80;
    ASSERT_EQ(w.Rect().top, hiddenTop);
    {
        DragFullWindows on;
        g_log.tops.clear();
        SendMessageA(w.hwnd, WM_NCMOUSEMOVE, HTBORDER, 0);
        EXPECT_EQ(w.Rect().top, 0);
        int between = 0;
        int last = hiddenTop;
        for (int top : g_log.tops) {
            EXPECT_GE(top, last);  // always toward the target
            last = top;
            between += top > hiddenTop && top < 0;
        }
        EXPECT_GE(between, 2);
        std::printf("slide in over 300 ms: %d intermediate positions\n", between);
    }
    BOOL full = TRUE;
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    if (!full) {
        g_log.tops.clear();
        SendMessageA(w.hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
        EXPECT_EQ(w.Rect().top, hiddenTop);
        for (int top : g_log.tops) {
            EXPECT_EQ(top, hiddenTop);
        }
    }
    bar.Detach();
}

// Refuses the auto-hide registration as the shell does when another window holds the edge.
// Wine's shell accepts every ABM_SETAUTOHIDEBAR and answers ABM_GETAUTOHIDEBAR with none,
// so the refusal is made here; everything else goes to the real shell.
class RefusingHost : public AppBarHostWin {
  public:
    using AppBarHostWin::AppBarHostWin;
    uintptr_t ShellMessage(uint32_t message, int32_t edge, intptr_t lParam, Rect* rect) override {
        if (message == abm::SetAutoHideBar && lParam != 0) {
            return 0;
        }
        return AppBarHostWin::ShellMessage(message, edge, lParam, rect);
    }
};

// Finds the message box owned by `owner`, keeps its text and closes it with OK.
struct MessageBoxCloser {
    explicit MessageBoxCloser(HWND owner) : owner(owner) {
        thread.reset(CreateThread(nullptr, 0, &Run, this, 0, nullptr));
    }
    ~MessageBoxCloser() { WaitForSingleObject(thread.get(), 10000); }
    static DWORD WINAPI Run(void* self) {
        auto* me = static_cast<MessageBoxCloser*>(self);
        for (int i = 0; i < 200; ++i) {
            HWND box = FindWindowA("#32770", nullptr);
            // Read it once it is shown: before that its text may not be set yet.
            if (box && GetWindow(box, GW_OWNER) == me->owner && IsWindowVisible(box)) {
                char text[512] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                me->text = text;
                GetWindowTextA(box, text, sizeof text);
                me->title = text;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return 0;
            }
            Sleep(50);
        }
        return 1;
    }
    HWND owner;
    win32::KernelHandle thread;
    std::string text;
    std::string title;
};

// A refused auto-hide registration: auto-hide is dropped, the conflict message box owned by
// the bar and titled with its caption says so, and the bar docks as an ordinary bar.
TEST(TAppBarWin, AutoHideConflict) {
    Window w(WS_POPUP | WS_THICKFRAME, "Conflict bar");
    RefusingHost host(w.hwnd);
    TAppBar bar(host);
    {
        MessageBoxCloser closer(w.hwnd);
        DockTop(bar, true);
        WaitForSingleObject(closer.thread.get(), 10000);
        EXPECT_EQ(closer.title, "Conflict bar");
        EXPECT_EQ(closer.text,
                  "There is already an auto hidden window on this edge.\n\r"
                  "Only one auto hidden window is allowed on each edge.");
    }
    EXPECT_FALSE(bar.AutoHide());
    EXPECT_EQ(w.Rect().top, 0);
    EXPECT_EQ(w.Rect().bottom, 80);
    EXPECT_EQ(w.Rect().right, ScreenW());
    bar.Detach();
}

class RegistryTest : public ::testing::Test {
  protected:
    const std::string path =
        "Software\\KestroTests\\AppBar" + std::to_string(GetCurrentProcessId());
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()); }
    void WriteRaw(size_t size) {
        win32::RegKey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.out(), nullptr),
                  ERROR_SUCCESS);
        std::vector<BYTE> bytes(size, 0x11);
        RegSetValueExA(key.get(), nullptr, 0, REG_BINARY, bytes.data(), static_cast<DWORD>(size));
    }
};

// The record survives a save and load through the real registry; stored values of 89 or 91
// bytes are refused and change nothing.
TEST_F(RegistryTest, SaveLoadAndRejectOtherSizes) {
    Window w;
    AppBarHostWin host(w.hwnd);
    TAppBar bar(host);
    bar.SetRegistryPath(path);
    EXPECT_FALSE(bar.LoadSettings());
    bar.SetDockedHeight(97);
    bar.SetAutoHide(true);
    bar.SetTaskbarButton(TaskbarNever);
    ASSERT_TRUE(bar.SaveSettings());

    win32::RegKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.out()),
              ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.get(), nullptr, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    key.reset();
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 90u);

    TAppBar other(host);
    other.SetRegistryPath(path);
    ASSERT_TRUE(other.LoadSettings());
    EXPECT_EQ(other.Record(), bar.Record());

    for (size_t bad : {89u, 91u}) {
        WriteRaw(bad);
        TAppBar fresh(host);
        fresh.SetRegistryPath(path);
        const AppBarRecord before = fresh.Record();
        EXPECT_FALSE(fresh.LoadSettings()) << bad;
        EXPECT_EQ(fresh.Record(), before) << bad;
    }
}

}  // namespace
}  // namespace appbar
