// The bar as a user meets it: start-up, a second copy, the settings commands and what they
// do to settings.db and to the netstat calls, exit during a snapshot, the tray icon.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/commands.h"
#include "bar_session.h"
#include "resource.h"

namespace e2e {
namespace {

using portlight::Command;
using namespace std::chrono_literals;

int Cmd(Command c) {
    return static_cast<int>(c);
}

bool TrayShown() {
    return WaitWindowByTitle("Wine System Tray", 0ms) != nullptr;
}

// The bar appears with the raw listing of its first snapshot; a second copy says so and
// ends, and the first keeps running until its exit button.
TEST(PortlightBar, StartsOnceAndRefusesASecondCopy) {
    BarSession session("pl-once");
    session.Start();
    ASSERT_TRUE(session.WaitForCalls(1, 10000));
    HWND listing = session.Control(IDC_TXTNETSTATS);
    ASSERT_TRUE(WaitFor([&] { return !WindowText(listing).empty(); }, 5s));
    EXPECT_EQ(WindowText(listing),
              "TCP    0.0.0.0:135            0.0.0.0:0              LISTENING       884\r\n");
    RECT r = WindowRect(session.bar());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    Screenshot("portlight-bar");

    Process second = Process::Start(session.Path("portlight.exe"), "", "");
    HWND box = WaitWindowByTitle("Already Running", 10s);
    ASSERT_NE(box, nullptr);
    bool found = false;
    for (HWND child : ChildWindows(box))
        found |= WindowText(child) == "Another Instance of Kestro - Portlight is already running.";
    EXPECT_TRUE(found) << "the message box text";
    Screenshot("portlight-second-instance");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.Wait(10s), 0);
    EXPECT_TRUE(session.process().running());
    EXPECT_NE(FindTopWindow(session.process().id(), PORTLIGHT_BAR_CLASS), nullptr);

    // Without the tray option there is no tray icon, and the exit button ends the bar.
    EXPECT_FALSE(TrayShown());
    session.Click(IDC_CMDEXIT);
    EXPECT_EQ(session.process().Wait(10s), 0);
}

// "5 seconds" rewrites all of settings.db and the next snapshots come 5 s apart.
TEST(PortlightBar, RefreshCommandSavesAndRetimesSnapshots) {
    BarSession session("pl-refresh");
    session.Start();
    ASSERT_TRUE(session.WaitForCalls(1, 10000));
    EXPECT_EQ(session.Settings(), "") << "start-up replays the options without saving";

    session.RunCommand(Cmd(Command::Refresh5));
    // The keys are written one at a time: wait for the last one too, not only "Refresh".
    ASSERT_TRUE(WaitFor(
        [&] {
            std::string written = session.Settings();
            return written.find("Refresh=5") != std::string::npos &&
                   written.find("SlidingEffect=") != std::string::npos;
        },
        5s));
    std::string settings = session.Settings();
    size_t at = 0;
    for (const char* key :
         {"Autohide=True", "OnTop=True", "Startup=True", "TrayIcon=False", "ActiveOnly=False",
          "ResolveHosts=False", "ShowLocalHost=True", "Monitor=All", "Refresh=5", "Unknown=All",
          "SegmentPID=True", "Active=True", "SlidingEffect=False"}) {
        size_t found = settings.find(key);
        ASSERT_NE(found, std::string::npos) << key;
        EXPECT_GT(found, at) << key << " out of order";
        at = found;
    }

    size_t before = session.Calls().size();
    ASSERT_TRUE(session.WaitForCalls(before + 3, 20000));
    auto calls = session.Calls();
    for (size_t i = before + 1; i < before + 3; ++i) {
        long gap = static_cast<long>(calls[i].tick - calls[i - 1].tick);
        EXPECT_GT(gap, 4300) << "call " << i;
        EXPECT_LT(gap, 6000) << "call " << i;
    }
}

// TCP only and active connections only give exactly "-on -p TCP".
TEST(PortlightBar, ProtocolAndActiveFiltersShapeTheCommandLine) {
    BarSession session("pl-filter");
    session.Start();
    ASSERT_TRUE(session.WaitForCalls(1, 10000));
    EXPECT_EQ(session.Calls().front().arguments, "-ona");
    session.RunCommand(Cmd(Command::FilterMonitorTCP));
    session.RunCommand(Cmd(Command::FilterActive));
    ASSERT_TRUE(WaitFor(
        [&] {
            auto calls = session.Calls();
            return !calls.empty() && calls.back().arguments == "-on -p TCP";
        },
        10s));
    std::string settings = session.Settings();
    EXPECT_NE(settings.find("Monitor=TCP"), std::string::npos);
    EXPECT_NE(settings.find("ActiveOnly=True"), std::string::npos);
}

// Exit while netstat runs: the bar stays until the snapshot ends, then closes within a
// second or so.
TEST(PortlightBar, ExitDuringASnapshotWaitsForIt) {
    BarSession session("pl-exit");
    session.SetNetstatSleep(3000);
    session.Start();
    ASSERT_TRUE(session.WaitForCalls(1, 10000));
    unsigned long started = session.Calls().front().tick;
    session.Click(IDC_CMDEXIT);
    EXPECT_EQ(session.process().Wait(1s), -1) << "closed under a running snapshot";
    EXPECT_TRUE(session.process().running()) << "closed under a running snapshot";
    ASSERT_EQ(session.process().Wait(15s), 0);
    long afterSnapshot = static_cast<long>(GetTickCount() - (started + 3000));
    EXPECT_LT(afterSnapshot, 1800) << "ms between the snapshot's end and the exit";
    EXPECT_EQ(session.Calls().size(), 1u) << "no snapshot starts once exit is asked for";
}

// The tray icon exists when the option asks for it (the bar without it is in
// StartsOnceAndRefusesASecondCopy), and goes when the option is turned off.
TEST(PortlightBar, TrayIconFollowsTheOption) {
    BarSession session("pl-tray");
    session.WriteSettings("TrayIcon=True\r\n");
    session.Start();
    EXPECT_TRUE(WaitFor(TrayShown, 10s));
    Screenshot("portlight-tray-balloon");
    session.RunCommand(Cmd(Command::GeneralTrayIcon));
    EXPECT_TRUE(WaitFor([] { return !TrayShown(); }, 10s)) << "turning the option off removes it";
    EXPECT_TRUE(WaitFor(
        [&] { return session.Settings().find("TrayIcon=False") != std::string::npos; }, 5s));
}

// With monitoring off no snapshot runs; turning it on starts them. The quiet bar (one start
// serves all three) also shows the tray menu's "Settings" and the about box: "Settings"
// chosen from the tray menu opens the settings menu at the pointer, as a menu opened from a
// tray menu does, not under the hidden bar's button; the about box names the product and
// its version from the program's version resource.
TEST(PortlightBar, InactiveBarTakesNoSnapshots) {
    BarSession session("pl-inactive");
    session.WriteSettings("Active=False\r\nRefresh=3\r\nTrayIcon=True\r\n");
    const auto started = std::chrono::steady_clock::now();
    session.Start();

    HWND tray = WaitTopWindow(session.process().id(), PORTLIGHT_TRAY_CLASS, "", 10s);
    ASSERT_NE(tray, nullptr);
    ASSERT_EQ(RunHost("xdotool mousemove 600 450"), 0);
    // The tray window's hook: WM_COMMAND 100 + n chooses item n; the items are "Active", a
    // separator and "Settings".
    PostMessageA(tray, WM_COMMAND, 100 + 2, 0);
    std::vector<HWND> menus;
    ASSERT_TRUE(WaitFor(
        [&] { return !(menus = VisibleTopWindows(session.process().id(), "#32768")).empty(); },
        10s));
    Screenshot("portlight-tray-settings-menu");
    RECT r = WindowRect(menus.front());
    EXPECT_NEAR(r.left, 600, 2) << r.left << "," << r.top;
    EXPECT_NEAR(r.top, 450, 2) << r.left << "," << r.top;
    PostMessageA(menus.front(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(
        WaitFor([&] { return VisibleTopWindows(session.process().id(), "#32768").empty(); }, 10s));

    session.RunCommand(Cmd(Command::About));
    HWND about = WaitTopWindow(session.process().id(), PORTLIGHT_ABOUT_CLASS, "", 10s);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), "About Portlight");
    std::vector<std::string> texts;
    for (HWND child : ChildWindows(about))
        texts.push_back(WindowText(child));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Portlight"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Version 1.0.0"), texts.end());

    // Two refresh periods from the start pass without a call; any call fails at once.
    const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(
        started + 7s - std::chrono::steady_clock::now());
    EXPECT_FALSE(WaitFor([&] { return !session.Calls().empty(); }, std::max(quiet, 0ms)));
    EXPECT_TRUE(session.Calls().empty());
    session.RunCommand(Cmd(Command::Active));
    EXPECT_TRUE(session.WaitForCalls(1, 8000));
    EXPECT_NE(session.Settings().find("Active=True"), std::string::npos);
}

}  // namespace
}  // namespace e2e
