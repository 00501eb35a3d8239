// The real bar docking at the top edge under the shell: thickness and width, auto-hide with
// its two-row strip, sliding in under the pointer and out again, the always-on-top command
// and the auto-hide conflict. Each test starts portlight.exe in a fresh folder beside the
// fake netstat, with "Active" off so no snapshot competes for the window.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "e2e.h"
#include "resource.h"

namespace {

using namespace std::chrono_literals;

constexpr int kDockedHeight = 80;  // the docking object's default thickness
constexpr int kCmdAutohide = IDM_SETTINGS_BASE + 2;
constexpr int kCmdAlwaysOnTop = IDM_SETTINGS_BASE + 3;

int ScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}
int HiddenStrip() {
    return 2 * GetSystemMetrics(SM_CYBORDER);
}

bool IsTopmost(HWND w) {
    return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

class Bar {
  public:
    explicit Bar(const std::string& options) : folder_("appbar") {
        e2e::CopyFileOrFail(e2e::BinFolder() + "portlight.exe", folder_ / "portlight.exe");
        e2e::CopyFileOrFail(e2e::BinFolder() + "netstat.exe", folder_ / "netstat.exe");
        e2e::WriteTextFile(folder_ / "fake-netstat.txt", "");
        e2e::WriteTextFile(
            folder_ / "settings.db",
            "[Main]\r\nActive=False\r\nTrayIcon=False\r\nStartup=False\r\n" + options);
    }
    void Start() {
        process_ = e2e::Process::Start(folder_ / "portlight.exe", "", folder_.path());
        hwnd_ = e2e::WaitTopWindow(process_.id(), PORTLIGHT_BAR_CLASS, "", 20s);
        // The window exists before its load step has docked it (and is made at the docked
        // place already); it shows once the load step is over.
        e2e::WaitFor([&] { return hwnd_ && IsWindowVisible(hwnd_); }, 20s);
    }
    HWND hwnd() const { return hwnd_; }
    const e2e::TempFolder& folder() const { return folder_; }
    RECT Rect() const { return e2e::WindowRect(hwnd_); }
    bool WaitRect(int left, int top, int right, int bottom) const {
        return e2e::WaitFor(
            [&] {
                const RECT r = Rect();
                return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
            },
            10s);
    }
    void Command(int id) const {
        SendMessageTimeoutA(hwnd_, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
    }

  private:
    e2e::TempFolder folder_;
    e2e::Process process_;
    HWND hwnd_ = nullptr;
};

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// A plain window of the test that takes the activation away from the bar.
class OtherWindow {
  public:
    OtherWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = "AppBarE2eOther";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, wc.lpszClassName, "Other window", WS_OVERLAPPEDWINDOW, 300, 300,
                                400, 250, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
        Pump();
    }
    ~OtherWindow() { DestroyWindow(hwnd_); }
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    HWND hwnd() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

// With auto-hide off the bar reserves the top strip: full width, its configured height.
TEST(AppBarE2e, DockedAtTopWithoutAutoHide) {
    Bar bar("Autohide=False\r\n");
    bar.Start();
    ASSERT_NE(bar.hwnd(), nullptr);
    EXPECT_TRUE(bar.WaitRect(0, 0, ScreenWidth(), kDockedHeight)) << Describe(bar.Rect());
    EXPECT_TRUE(IsWindowVisible(bar.hwnd()));
    EXPECT_EQ(GetWindowLongA(bar.hwnd(), GWL_STYLE) & WS_CAPTION, 0);
    e2e::Screenshot("appbar-docked");
}

// Auto-hidden, the bar leaves exactly 2 x SM_CYBORDER rows on screen; the pointer on that
// strip slides it in, and once another window is active and the pointer is away it hides.
TEST(AppBarE2e, AutoHideSlidesInAndOut) {
    Bar bar("Autohide=True\r\n");
    e2e::RunHost("xdotool mousemove 640 500");
    bar.Start();
    ASSERT_NE(bar.hwnd(), nullptr);
    const int strip = HiddenStrip();
    ASSERT_TRUE(bar.WaitRect(0, strip - kDockedHeight, ScreenWidth(), strip))
        << Describe(bar.Rect());
    e2e::Screenshot("appbar-hidden");

    e2e::RunHost("xdotool mousemove 640 " + std::to_string(strip - 1));
    EXPECT_TRUE(bar.WaitRect(0, 0, ScreenWidth(), kDockedHeight)) << Describe(bar.Rect());
    e2e::Screenshot("appbar-shown");

    OtherWindow other;
    e2e::RunHost("xdotool mousemove 640 500");
    const bool hidden = e2e::WaitFor(
        [&] {
            OtherWindow::Pump();
            return bar.Rect().bottom == strip;
        },
        10s);
    EXPECT_TRUE(hidden) << Describe(bar.Rect());
    EXPECT_EQ(bar.Rect().top, strip - kDockedHeight);
}

// Only the top edge is allowed: dragging the bar by its background (a caption drag) toward
// the left edge leaves it docked at the top. (With every edge allowed the same drag docks it
// on the left, so the drag does take place.)
TEST(AppBarE2e, DraggingKeepsTheBarOnTop) {
    Bar bar("Autohide=False\r\n");
    bar.Start();
    ASSERT_NE(bar.hwnd(), nullptr);
    ASSERT_TRUE(bar.WaitRect(0, 0, ScreenWidth(), kDockedHeight)) << Describe(bar.Rect());
    RECT client{};
    GetClientRect(bar.hwnd(), &client);
    POINT background{client.right / 2, client.bottom - 1};  // below the connection area
    ClientToScreen(bar.hwnd(), &background);
    const std::string x = std::to_string(background.x);
    const std::string y = std::to_string(background.y);
    e2e::RunHost("xdotool mousemove " + x + " " + y + " mousedown 1 sleep 0.3 mousemove 300 " + y +
                 " sleep 0.3 mousemove 10 400 sleep 0.3 mouseup 1");
    // The drag has ended when xdotool returns: give a move up to half a second to show, then
    // the bar must be (or come back) where it was docked.
    const RECT docked = {0, 0, ScreenWidth(), kDockedHeight};
    e2e::WaitFor(
        [&] {
            const RECT now = bar.Rect();
            return !EqualRect(&docked, &now);
        },
        500ms);
    EXPECT_TRUE(bar.WaitRect(0, 0, ScreenWidth(), kDockedHeight)) << Describe(bar.Rect());
    e2e::RunHost("xdotool mousemove 640 500");
}

// "Always On Top" switches the topmost style off and on again, and is saved.
TEST(AppBarE2e, AlwaysOnTopCommand) {
    // A real desktop always holds a topmost window (the taskbar); Xvfb holds none. Without
    // one, Wine leaves an owner non-topmost when asked to make it topmost while its own
    // topmost pop-up (here the icon strip's tool-tip) sits directly above it.
    HWND desktopTopmost =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 1, 1,
                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    Bar bar("Autohide=False\r\n");
    bar.Start();
    ASSERT_NE(bar.hwnd(), nullptr);
    ASSERT_TRUE(bar.WaitRect(0, 0, ScreenWidth(), kDockedHeight));
    EXPECT_TRUE(IsTopmost(bar.hwnd()));
    bar.Command(kCmdAlwaysOnTop);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsTopmost(bar.hwnd()); }, 5s));
    EXPECT_NE(e2e::ReadTextFile(bar.folder() / "settings.db").find("OnTop=False"),
              std::string::npos);
    bar.Command(kCmdAlwaysOnTop);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsTopmost(bar.hwnd()); }, 5s));

    // "Autohide Application Bar" takes effect at once as well: the bar hides.
    bar.Command(kCmdAutohide);
    EXPECT_TRUE(bar.WaitRect(0, HiddenStrip() - kDockedHeight, ScreenWidth(), HiddenStrip()))
        << Describe(bar.Rect());
    DestroyWindow(desktopTopmost);
}

// Another program's auto-hide bar holds the top edge: the bar says so in a message box
// titled with its caption and docks as an ordinary bar.
TEST(AppBarE2e, AutoHideConflict) {
    OtherWindow rival;
    APPBARDATA data = {sizeof data};
    data.hWnd = rival.hwnd();
    data.uCallbackMessage = WM_USER + 1;
    ASSERT_TRUE(SHAppBarMessage(ABM_NEW, &data));
    data.uEdge = ABE_TOP;
    SHAppBarMessage(ABM_SETAUTOHIDEBAR, &data);
    data.lParam = TRUE;
    SHAppBarMessage(ABM_SETAUTOHIDEBAR, &data);
    const bool shellKeepsIt =
        reinterpret_cast<HWND>(SHAppBarMessage(ABM_GETAUTOHIDEBAR, &data)) == rival.hwnd();
    if (!shellKeepsIt) {
        SHAppBarMessage(ABM_REMOVE, &data);
        // Wine's shell accepts every auto-hide registration and reports none, so it never
        // refuses one; the refusal path is covered against a refusing shell in the docking
        // tests.
        GTEST_SKIP() << "this shell does not keep auto-hide bar registrations";
    }

    Bar bar("Autohide=True\r\n");
    bar.Start();
    HWND box = e2e::WaitWindowByTitle("Kestro - Portlight", 20s);
    ASSERT_NE(box, nullptr);
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text,
                 "There is already an auto hidden window on this edge.\n\r"
                 "Only one auto hidden window is allowed on each edge.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(bar.WaitRect(0, 0, ScreenWidth(), kDockedHeight)) << Describe(bar.Rect());
    SHAppBarMessage(ABM_REMOVE, &data);
}

}  // namespace
