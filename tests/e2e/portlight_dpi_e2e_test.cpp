// The bar on a display scaled to 125 % and 150 %: Wine takes the scale from LogPixels in
// "HKCU\Control Panel\Desktop" when a program starts. The bar is DPI-aware, so its
// twip-based layout grows with the scale; the docked bar must grow with it, so that every
// count button of the icon strip lies inside the bar's client area.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "bar_session.h"
#include "common/win32/handles_win.h"
#include "resource.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kSlotButtonBase = 0x6400;  // count button ids, as display/icon_strip_win.h has them

// Sets the display scale for programs started from now on, and puts the old one back.
class ScopedLogPixels {
  public:
    explicit ScopedLogPixels(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, key_.out(), nullptr);
        DWORD size = sizeof old_;
        hadOld_ = RegQueryValueExA(key_.get(), "LogPixels", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
        RegSetValueExA(key_.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }
    // Other tests start programs too: the scale is put back as soon as the bar has read it.
    void Restore() {
        if (!key_)
            return;
        if (hadOld_)
            RegSetValueExA(key_.get(), "LogPixels", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else
            RegDeleteValueA(key_.get(), "LogPixels");
        key_.reset();
    }
    ~ScopedLogPixels() { Restore(); }

  private:
    win32::RegKey key_;
    DWORD old_ = 0;
    bool hadOld_ = false;
};

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

void CountButtonsInsideTheBar(DWORD dpi) {
    // The test reads the bar's rectangles in physical pixels, as the DPI-aware bar sets them:
    // per-monitor aware, Wine maps no coordinates for this thread (a system-aware thread would
    // get them scaled to this process's own 96 DPI).
    HMODULE user = GetModuleHandleA("user32.dll");
    using SetContext = BOOL(WINAPI*)(HANDLE);
    using SetAware = BOOL(WINAPI*)();
    auto setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDpiAwarenessContext")));
    auto setAware = reinterpret_cast<SetAware>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDPIAware")));
    const HANDLE perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
    if (!(setContext && setContext(perMonitorAware)) && setAware)
        setAware();

    ScopedLogPixels scale(dpi);
    BarSession session("pl-dpi");
    // The strip shows a slot only for a program it can find: the connection belongs to this
    // test program, which runs for as long as the bar does.
    session.SetListing(
        NetstatListing({"  TCP    0.0.0.0:135            0.0.0.0:0              "
                        "LISTENING       " +
                        std::to_string(GetCurrentProcessId())}));
    session.WriteSettings("Autohide=False\r\nStartup=False\r\n");
    session.Start();
    ASSERT_NE(session.bar(), nullptr);
    HWND firstCount = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            firstCount = session.Control(kSlotButtonBase);
            return firstCount && IsWindowVisible(firstCount);
        },
        20s))
        << "the first snapshot fills a slot";
    scale.Restore();

    RECT client{};
    GetClientRect(session.bar(), &client);
    MapWindowPoints(session.bar(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT first = WindowRect(firstCount);
    EXPECT_GE(first.bottom - first.top, MulDiv(225, static_cast<int>(dpi), 1440) - 1)
        << "the layout is scaled: " << Describe(first);
    int buttons = 0;
    for (int i = 0;; ++i) {
        HWND button = session.Control(kSlotButtonBase + i);
        if (!button)
            break;
        ++buttons;
        RECT r = WindowRect(button);
        RECT inside{};
        IntersectRect(&inside, &r, &client);
        EXPECT_TRUE(EqualRect(&inside, &r)) << "count button " << i << " " << Describe(r)
                                            << " outside the client area " << Describe(client);
    }
    EXPECT_GT(buttons, 1);
    Screenshot("portlight-dpi-" + std::to_string(dpi));
}

TEST(PortlightScaled, CountButtonsFitAt120Dpi) {
    CountButtonsInsideTheBar(120);
}

TEST(PortlightScaled, CountButtonsFitAt144Dpi) {
    CountButtonsInsideTheBar(144);
}

}  // namespace
}  // namespace e2e
