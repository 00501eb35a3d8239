// The bar's icon strip as a user sees it: sample programs own the connections the fake
// netstat prints (IPv4 and IPv6, TCP and UDP, owner 0, an exited process), and the strip
// shows their slots, hover texts, counts and pictures, opens its icon menu on the right
// button, and follows the "Segment Application PIDs" and "Unknown Files" options.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/commands.h"
#include "e2e.h"
#include "resource.h"
#include "sample_process.h"

namespace {

constexpr char kBarClass[] = "PortlightMainForm";
constexpr char kSlotImageClass[] = "PortlightSlotImage";
constexpr int kSlotImageBase = 0x6000;
constexpr int kSlotButtonBase = 0x6400;
constexpr int kCountLabelId = 1006;

struct Slot {
    std::string hover;
    std::string count;
    HWND image = nullptr;
};

// The visible slots, in slot order.
std::vector<Slot> VisibleSlots(HWND bar) {
    std::map<int, HWND> images;
    std::map<int, HWND> buttons;
    for (HWND child : e2e::ChildWindows(bar)) {
        int id = GetDlgCtrlID(child);
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (std::string(cls) == kSlotImageClass)
            images[id - kSlotImageBase] = child;
        else if (id >= kSlotButtonBase && id < kSlotButtonBase + 0x100)
            buttons[id - kSlotButtonBase] = child;
    }
    std::vector<Slot> slots;
    for (const auto& [i, image] : images) {
        if (!IsWindowVisible(image))
            continue;
        HWND button = buttons.count(i) ? buttons[i] : nullptr;
        slots.push_back({e2e::WindowText(image),
                         button && IsWindowVisible(button) ? e2e::WindowText(button) : "", image});
    }
    return slots;
}

// The strip between two snapshots: each snapshot empties it before refilling it, so read
// until two looks a moment apart agree.
std::vector<Slot> StableSlots(HWND bar) {
    std::vector<Slot> last;
    for (int attempt = 0; attempt < 40; ++attempt) {
        std::vector<Slot> now = VisibleSlots(bar);
        bool same = !now.empty() && now.size() == last.size();
        for (size_t i = 0; same && i < now.size(); ++i)
            same = now[i].hover == last[i].hover && now[i].count == last[i].count;
        if (same)
            return now;
        last = now;
        Sleep(150);
    }
    return last;
}

HWND CountLabel(HWND bar) {
    for (HWND child : e2e::ChildWindows(bar))
        if (GetDlgCtrlID(child) == kCountLabelId)
            return child;
    return nullptr;
}

// What a slot's picture looks like on screen, told by the share of its pixels in each
// picture's main colour.
enum class Look { kGreenIcon, kApplication, kGreyQuestion, kPadlock, kOther };

Look LookOf(HWND image) {
    RECT r = e2e::WindowRect(image);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    win32::ScreenDC screen = win32::GetScreenDC();
    win32::MemoryDC memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
    void* bits = nullptr;
    win32::Bitmap dib(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win32::SelectObjectScope select(memory.get(), dib.get());
    BitBlt(memory.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
    int green = 0, grey = 0, orange = 0, blue = 0;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) {
        const int red = (pixels[i] >> 16) & 0xFF;
        const int g = (pixels[i] >> 8) & 0xFF;
        const int b = pixels[i] & 0xFF;
        green += g > red + 50 && g > b + 50;
        grey += std::abs(red - g) < 15 && std::abs(g - b) < 20 && red >= 90 && red <= 160;
        orange += red > 200 && g > 120 && g < 210 && b < 90;
        blue += b > red + 80 && b > g + 50;
    }
    const int all = w * h;
    if (green * 10 > all * 3)
        return Look::kGreenIcon;
    if (orange * 4 > all)
        return Look::kPadlock;
    if (grey * 10 > all * 3)
        return Look::kGreyQuestion;
    if (blue * 20 > all)
        return Look::kApplication;
    return Look::kOther;
}

// A visible pop-up menu of process `pid` other than `first` (an open submenu).
HWND SecondMenu(DWORD pid, HWND first) {
    for (HWND menu : e2e::VisibleTopWindows(pid, "#32768"))
        if (menu != first)
            return menu;
    return nullptr;
}

// Text pixels in a horizontal band of a window: near-black (normal text) and mid-grey
// (greyed text).
struct RowInk {
    int black = 0;
    int grey = 0;
};

RowInk InkOfRow(HWND window, double from, double to) {
    RECT r = e2e::WindowRect(window);
    RowInk ink;
    const int top = r.top + static_cast<int>((r.bottom - r.top) * from);
    const int bottom = r.top + static_cast<int>((r.bottom - r.top) * to);
    const int left = r.left + 4;
    const int w = r.right - 4 - left;
    const int h = bottom - top;
    if (w <= 0 || h <= 0)
        return ink;
    // One copy of the band instead of a GetPixel round trip to the X server per pixel.
    win32::ScreenDC screen = win32::GetScreenDC();
    win32::MemoryDC memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
    void* bits = nullptr;
    win32::Bitmap dib(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib)
        return ink;
    win32::SelectObjectScope select(memory.get(), dib.get());
    BitBlt(memory.get(), 0, 0, w, h, screen.get(), left, top, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) {
        const int red = (pixels[i] >> 16) & 0xFF;
        const int green = (pixels[i] >> 8) & 0xFF;
        const int blue = pixels[i] & 0xFF;
        if (red < 40 && green < 40 && blue < 40)
            ++ink.black;
        else if (std::abs(red - 128) < 20 && std::abs(green - 128) < 20 &&
                 std::abs(blue - 128) < 20)
            ++ink.grey;
    }
    return ink;
}

// Wine paints a new menu (and a moved highlight) a moment after showing it: waits until
// its text is there and two looks agree.
bool WaitPainted(HWND menu) {
    int last = -1;
    return e2e::WaitFor(
        [&] {
            const RowInk ink = InkOfRow(menu, 0.05, 0.95);
            const int now = ink.black + ink.grey;
            const bool settled = ink.black > 0 && now == last;
            last = now;
            return settled;
        },
        std::chrono::seconds(5));
}

// Waits out a snapshot that empties the strip for a moment while the picture is read.
bool ShowsLook(HWND image, Look look) {
    return e2e::WaitFor([&] { return IsWindowVisible(image) && LookOf(image) == look; },
                        std::chrono::seconds(4));
}

// A visible top-level window of process `pid` with class `cls`.
HWND VisibleWindowOf(DWORD pid, const char* cls) {
    auto windows = e2e::VisibleTopWindows(pid, cls);
    return windows.empty() ? nullptr : windows.front();
}

// A visible pop-up menu window of process `pid`.
HWND OpenMenu(DWORD pid) {
    return VisibleWindowOf(pid, "#32768");
}

// Presses the right button on a slot image until its menu opens: a press while a snapshot
// runs (every 3 seconds here) is ignored, as it should be.
HWND RightClickForMenu(HWND image, DWORD pid) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        PostMessageA(image, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        HWND menu = nullptr;
        if (e2e::WaitFor([&] { return (menu = OpenMenu(pid)) != nullptr; },
                         std::chrono::milliseconds(1000))) {
            WaitPainted(menu);
            return menu;
        }
    }
    return nullptr;
}

class StripScenario : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string bin = e2e::BinFolder();
        e2e::CopyFileOrFail(bin + "portlight.exe", folder_ / "portlight.exe");
        e2e::CopyFileOrFail(bin + "netstat.exe", folder_ / "netstat.exe");
        {
            samples::SampleProcess gone(samples::BesideThisProgram("portlight-sample-plain.exe"),
                                        "--exit");
            ASSERT_TRUE(gone.WaitForExit(10000));
            exited_ = std::to_string(gone.pid());
        }
        ASSERT_TRUE(app_.ready()) << app_.Problem();
        ASSERT_TRUE(app2_.ready()) << app2_.Problem();
        ASSERT_TRUE(plain_.ready()) << plain_.Problem();
        const std::string a = std::to_string(app_.pid());
        const std::string a2 = std::to_string(app2_.pid());
        const std::string p = std::to_string(plain_.pid());
        e2e::WriteTextFile(
            folder_ / "fake-netstat.txt",
            "\r\nActive Connections\r\n\r\n"
            "  Proto  Local Address          Foreign Address        State           PID\r\n"
            "  TCP    0.0.0.0:135            0.0.0.0:0              LISTENING       " +
                a +
                "\r\n"
                "  TCP    [::]:445               [::]:0                 LISTENING       " +
                a +
                "\r\n"
                "  UDP    0.0.0.0:500            *:*                                    " +
                a2 +
                "\r\n"
                "  UDP    [fe80::1%7]:1900       *:*                                    " +
                p +
                "\r\n"
                "  TCP    10.0.0.2:50000         93.184.216.34:443      ESTABLISHED     0\r\n"
                "  TCP    10.0.0.2:50001         93.184.216.34:443      TIME_WAIT       " +
                exited_ + "\r\n");
    }

    // Starts the bar with these options and waits for the first filled strip.
    HWND StartBar(const std::string& segmentPid, const std::string& unknown) {
        e2e::WriteTextFile(
            folder_ / "settings.db",
            "[Main]\r\nActive=True\r\nRefresh=3\r\nTrayIcon=False\r\nAutohide=False\r\n"
            "Startup=False\r\nSegmentPID=" +
                segmentPid + "\r\nUnknown=" + unknown + "\r\n");
        bar_ = e2e::Process::Start(folder_ / "portlight.exe", "", folder_.path());
        HWND bar = e2e::WaitTopWindow(bar_.id(), kBarClass, "", std::chrono::seconds(10));
        if (!bar)
            return nullptr;
        // The window exists before its load step has made the children: look the label up
        // while waiting.
        bool filled = e2e::WaitFor(
            [&] {
                HWND label = CountLabel(bar);
                return label && e2e::WindowText(label) == "6";
            },
            std::chrono::seconds(15));
        // The strip is drawn right after the count is set.
        e2e::WaitFor([&] { return !VisibleSlots(bar).empty(); }, std::chrono::seconds(2));
        return filled ? bar : nullptr;
    }

    void StopBar() { bar_.Kill(); }
    // After a menu closes: the bar is back in its message loop with nothing queued.
    void WaitBarIdle() { WaitForInputIdle(bar_.handle(), 5000); }

    std::vector<std::string> Keys(HWND bar) {
        std::vector<std::string> keys;
        for (const Slot& s : StableSlots(bar))
            keys.push_back(s.hover + " [" + s.count + "]");
        return keys;
    }

    std::string PlainKey() { return plain_.path(); }

    e2e::TempFolder folder_{"portlight-strip"};
    samples::SampleProcess app_{samples::BesideThisProgram("portlight-sample-app.exe")};
    samples::SampleProcess app2_{samples::BesideThisProgram("portlight-sample-app.exe")};
    samples::SampleProcess plain_{samples::BesideThisProgram("portlight-sample-plain.exe")};
    std::string exited_;
    e2e::Process bar_;
};

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           _stricmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// One slot per process: hover texts, counts, pictures and the icon menu.
TEST_F(StripScenario, SlotsPerProcessWithPicturesAndMenu) {
    HWND bar = StartBar("True", "ShowAll");
    ASSERT_TRUE(bar) << "no snapshot reached the bar";
    std::vector<Slot> slots = StableSlots(bar);
    e2e::Screenshot("portlight-strip-per-pid");
    ASSERT_EQ(slots.size(), 5u);
    EXPECT_EQ(slots[0].hover, "Sample Courier - PID=" + std::to_string(app_.pid()));
    EXPECT_EQ(slots[0].count, "2");
    EXPECT_EQ(slots[1].hover, "Sample Courier - PID=" + std::to_string(app2_.pid()));
    EXPECT_EQ(slots[1].count, "1");
    EXPECT_TRUE(EndsWith(slots[2].hover,
                         "portlight-sample-plain.exe - PID=" + std::to_string(plain_.pid())))
        << slots[2].hover;
    EXPECT_EQ(slots[3].hover, "UnKnown File - PID=0");
    EXPECT_EQ(slots[4].hover, "UnKnown File - PID=" + exited_);
    EXPECT_EQ(slots[4].count, "1");

    EXPECT_TRUE(ShowsLook(slots[0].image, Look::kGreenIcon));
    EXPECT_TRUE(ShowsLook(slots[2].image, Look::kApplication)) << "no icon: the default picture";
    EXPECT_TRUE(ShowsLook(slots[3].image, Look::kGreyQuestion));
    EXPECT_TRUE(ShowsLook(slots[4].image, Look::kGreyQuestion));

    // Resting the pointer on a slot shows its hover text as a tool-tip. A snapshot (every
    // 3 s here) hides and shows the slots, which cancels a tip still in its delay, and a
    // pointer at rest raises no new hover: on a loaded machine the pointer comes to rest on
    // the slot again every two seconds until the tip shows.
    RECT plainRect = e2e::WindowRect(slots[2].image);
    auto restOnPlainSlot = [&] {
        e2e::RunHost("xdotool mousemove " + std::to_string(plainRect.left + 3) + " " +
                     std::to_string(plainRect.top + 3) + " sleep 0.2 mousemove " +
                     std::to_string((plainRect.left + plainRect.right) / 2) + " " +
                     std::to_string((plainRect.top + plainRect.bottom) / 2));
        return std::chrono::steady_clock::now();
    };
    auto rested = restOnPlainSlot();
    HWND tip = nullptr;
    EXPECT_TRUE(e2e::WaitFor(
        [&] {
            tip = VisibleWindowOf(bar_.id(), "tooltips_class32");
            if (tip && e2e::WindowText(tip) == slots[2].hover)
                return true;
            if (std::chrono::steady_clock::now() - rested > std::chrono::seconds(2))
                rested = restOnPlainSlot();
            return false;
        },
        std::chrono::seconds(20)))
        << (tip ? e2e::WindowText(tip) : "no tool-tip");
    e2e::Screenshot("portlight-strip-hover");

    // The right button on a filled slot opens the icon menu; on an empty slot nothing opens.
    // The menu opens at the pointer: put it on the slot first so the screenshot shows both.
    RECT slotRect = e2e::WindowRect(slots[0].image);
    e2e::RunHost("xdotool mousemove " + std::to_string((slotRect.left + slotRect.right) / 2) + " " +
                 std::to_string((slotRect.top + slotRect.bottom) / 2));
    HWND menu = RightClickForMenu(slots[0].image, bar_.id());
    EXPECT_TRUE(menu);
    e2e::Screenshot("portlight-strip-icon-menu");
    if (menu) {
        // The last row, "Terminate Process", is enabled for a program's own slot.
        EXPECT_GT(InkOfRow(menu, 0.82, 0.98).black, 10);
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(
            e2e::WaitFor([&] { return OpenMenu(bar_.id()) == nullptr; }, std::chrono::seconds(5)));
    }
    // Slot 1 holds one UDP connection: its "Terminate Connection" entry is greyed, the
    // "Terminate All" below it is not.
    WaitBarIdle();
    menu = RightClickForMenu(slots[1].image, bar_.id());
    ASSERT_TRUE(menu);
    // Down to "Terminate Connection" and open it; the menu loop takes the keys in order.
    for (int key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT})
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    HWND submenu = nullptr;
    e2e::WaitFor(
        [&] {
            submenu = SecondMenu(bar_.id(), menu);
            return submenu != nullptr;
        },
        std::chrono::seconds(5));
    if (submenu) {
        // Move the highlight off its first entry.
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        WaitPainted(submenu);
    }
    e2e::Screenshot("portlight-strip-connection-menu");
    ASSERT_TRUE(submenu) << "the connection submenu did not open";
    RowInk first = InkOfRow(submenu, 0.0, 0.3);
    EXPECT_GT(first.grey, 10) << "the UDP entry is drawn greyed";
    EXPECT_EQ(first.black, 0);
    while (HWND open = OpenMenu(bar_.id())) {
        PostMessageA(open, WM_KEYDOWN, VK_ESCAPE, 0);
        if (!e2e::WaitFor([&] { return OpenMenu(bar_.id()) != open; }, std::chrono::seconds(3)))
            break;
    }

    // The owner-0 slot offers no process to end: "Terminate Process" is greyed.
    WaitBarIdle();
    menu = RightClickForMenu(slots[3].image, bar_.id());
    ASSERT_TRUE(menu);
    e2e::Screenshot("portlight-strip-unknown-menu");
    RowInk lastRow = InkOfRow(menu, 0.82, 0.98);
    EXPECT_GT(lastRow.grey, 10);
    EXPECT_EQ(lastRow.black, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(
        e2e::WaitFor([&] { return OpenMenu(bar_.id()) == nullptr; }, std::chrono::seconds(5)));
    WaitBarIdle();

    HWND emptyImage = nullptr;
    for (HWND child : e2e::ChildWindows(bar))
        if (GetDlgCtrlID(child) == kSlotImageBase + 7)
            emptyImage = child;
    ASSERT_TRUE(emptyImage);
    EXPECT_FALSE(RightClickForMenu(emptyImage, bar_.id()));
    StopBar();
}

// "Segment Application PIDs" off groups by description; each "Unknown Files" choice. The
// first choice comes from settings.db at start-up, the others from their menu commands in
// the same bar, each shown by the next snapshot.
TEST_F(StripScenario, GroupingOptions) {
    const std::string plainTail = "portlight-sample-plain.exe [1]";
    struct Case {
        const char* unknown;
        portlight::Command command;
        std::vector<std::string> unknownKeys;
    };
    const Case cases[] = {
        {"ShowAll", portlight::Command::None, {"UnKnown File - PID=0 [1]", "UnKnown File [1]"}},
        {"All", portlight::Command::UnknownHideAll, {}},
        {"NoPID", portlight::Command::UnknownHideNoPID, {"UnKnown File [1]"}},
        {"KnownPID", portlight::Command::UnknownHideKnownPID, {"UnKnown File - PID=0 [1]"}},
    };
    HWND bar = StartBar("False", cases[0].unknown);
    ASSERT_TRUE(bar);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unknown);
        auto grouped = [&](const std::vector<std::string>& keys) {
            if (keys.size() != 2 + c.unknownKeys.size() || keys[0] != "Sample Courier [3]" ||
                !EndsWith(keys[1], plainTail))
                return false;
            return std::equal(c.unknownKeys.begin(), c.unknownKeys.end(), keys.begin() + 2);
        };
        std::vector<std::string> keys = Keys(bar);
        if (c.command != portlight::Command::None) {
            PostMessageA(bar, WM_COMMAND,
                         MAKEWPARAM(IDM_SETTINGS_BASE + static_cast<int>(c.command), 0), 0);
            // A snapshot after the command groups with the new choice; until then the strip
            // shows the last one.
            e2e::WaitFor([&] { return grouped(keys = Keys(bar)); }, std::chrono::seconds(15));
        }
        e2e::Screenshot(std::string("portlight-strip-grouped-") + c.unknown);
        ASSERT_EQ(keys.size(), 2 + c.unknownKeys.size());
        EXPECT_EQ(keys[0], "Sample Courier [3]");
        EXPECT_TRUE(EndsWith(keys[1], plainTail)) << keys[1];
        for (size_t i = 0; i < c.unknownKeys.size(); ++i)
            EXPECT_EQ(keys[2 + i], c.unknownKeys[i]);
    }
    StopBar();
}

}  // namespace
