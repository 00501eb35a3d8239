#include "display/icon_strip_win.h"

#include <gtest/gtest.h>

#include "common/win32/screen_win.h"
#include "display/icon_menu_win.h"

namespace portlight {
namespace {

struct TestWindow {
    HWND frame = nullptr;
    HWND container = nullptr;
    explicit TestWindow(int containerWidth) {
        frame = CreateWindowExA(0, "STATIC", "strip test", WS_POPUP | WS_VISIBLE, 0, 0,
                                containerWidth + 20, 120, nullptr, nullptr, nullptr, nullptr);
        container = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, containerWidth,
                                    60, frame, nullptr, nullptr, nullptr);
    }
    ~TestWindow() { DestroyWindow(frame); }
};

std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int ScreenDpi() {
    return win32::ScreenDpi().x;
}

// Slots fill the container at the designed pitch; reset and show follow the slot model.
TEST(IconStrip, CreatesResetsAndShowsSlots) {
    const int dpi = ScreenDpi();
    TestWindow window(MulDiv(6015, dpi, 1440));
    std::vector<IconSlot> slots;
    ConnectionTable table;
    IconStrip strip(slots, table, [] { return false; });
    ASSERT_EQ(strip.CreateIconSlots(window.container, RGB(240, 240, 240)), 13);
    slots.resize(14);

    HWND image2 = GetDlgItem(strip.hwnd(), kSlotImageBase + 2);
    HWND button2 = GetDlgItem(strip.hwnd(), kSlotButtonBase + 2);
    ASSERT_TRUE(image2 && button2);
    RECT r = {};
    GetWindowRect(image2, &r);
    MapWindowPoints(nullptr, strip.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, MulDiv(890, dpi, 1440));
    EXPECT_EQ(r.right - r.left, MulDiv(420, dpi, 1440));
    EXPECT_EQ(Text(button2), "2");
    EXPECT_FALSE(IsWindowVisible(button2));

    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(button2, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_STREQ(font.lfFaceName, "Times New Roman");
    EXPECT_EQ(font.lfWeight, FW_BOLD);

    slots[0] = {"Sample Courier", "C:\\x.exe", 3, "000003017", SlotPicture::kProcessIcon, true};
    slots[1] = {
        "UnKnown File - PID=0", "UnKnown File - PID=0", 1, "004", SlotPicture::kUnknown, true};
    strip.ShowSlots();
    HWND image0 = GetDlgItem(strip.hwnd(), kSlotImageBase);
    HWND button0 = GetDlgItem(strip.hwnd(), kSlotButtonBase);
    EXPECT_TRUE(IsWindowVisible(image0));
    EXPECT_EQ(Text(image0), "Sample Courier");
    EXPECT_EQ(Text(button0), "3");
    EXPECT_EQ(Text(GetDlgItem(strip.hwnd(), kSlotButtonBase + 1)), "1");
    EXPECT_FALSE(IsWindowVisible(image2));

    strip.ResetSlots();
    EXPECT_FALSE(IsWindowVisible(image0));
    EXPECT_FALSE(IsWindowVisible(button0));
    EXPECT_EQ(Text(button0), "0");
    EXPECT_EQ(Text(image0), "");

    // A container narrower than one pitch still has slot 0.
    TestWindow narrow(10);
    std::vector<IconSlot> none;
    IconStrip small(none, table, [] { return false; });
    EXPECT_EQ(small.CreateIconSlots(narrow.container, RGB(0, 0, 0)), 0);
}

std::string ItemText(HMENU menu, int position) {
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

bool Greyed(HMENU menu, int position) {
    return (GetMenuState(menu, position, MF_BYPOSITION) & MF_GRAYED) != 0;
}

// The pop-up shows the model's visible entries in order, greyed where disabled.
TEST(CreateIconMenu, EntriesAndEnabling) {
    ConnectionTable table;
    table.rows[0] = {"UDP", "0.0.0.0", "500", "*", "*", "", "Normal", "C:\\x.exe", "42"};
    table.rows[1] = {"TCP",         "10.0.0.1",  "5000",    "1.2.3.4", "80",
                     "ESTABLISHED", "Protected", "svc.exe", "7"};
    IconSlot slot{"Sample Courier", "C:\\x.exe", 2, "000001", SlotPicture::kProcessIcon, true};
    std::optional<IconMenu> model = BuildIconMenu(5, slot, table, false);
    ASSERT_TRUE(model);
    win32::Menu menu = CreateIconMenu(*model);
    ASSERT_EQ(GetMenuItemCount(menu.get()), 6);
    EXPECT_EQ(ItemText(menu.get(), 0), "Sample Courier");
    EXPECT_EQ(ItemText(menu.get(), 2), "Show Info");
    EXPECT_EQ(ItemText(menu.get(), 4), "Terminate Connection");
    EXPECT_EQ(ItemText(menu.get(), 5), "Terminate Process");
    EXPECT_TRUE(Greyed(menu.get(), 5)) << "the last row is Protected";

    HMENU connections = GetSubMenu(menu.get(), 4);
    ASSERT_EQ(GetMenuItemCount(connections), 4);
    EXPECT_EQ(ItemText(connections, 0), "R:(* : *) L:(0.0.0.0 : 500)");
    EXPECT_TRUE(Greyed(connections, 0)) << "UDP";
    EXPECT_EQ(ItemText(connections, 1), "R:(1.2.3.4 : 80) L:(10.0.0.1 : 5000)");
    EXPECT_FALSE(Greyed(connections, 1));
    EXPECT_EQ(ItemText(connections, 3), "Terminate All");

    HMENU processes = GetSubMenu(menu.get(), 5);
    ASSERT_EQ(GetMenuItemCount(processes), 4);
    EXPECT_EQ(ItemText(processes, 0), "42");
    EXPECT_FALSE(Greyed(processes, 0));
    EXPECT_EQ(ItemText(processes, 1), "7");
    EXPECT_TRUE(Greyed(processes, 1));

    EXPECT_EQ(EntryOfCommand(*model, kCmdNetstatInfo)->tag, "5");
    EXPECT_EQ(EntryOfCommand(*model, kCmdNetstatTermConnectionsBase + 1)->tag, "1");
    EXPECT_EQ(EntryOfCommand(*model, kCmdNetstatTermProcessAll)->tag, "2");
    EXPECT_EQ(EntryOfCommand(*model, 1), nullptr);
}

}  // namespace
}  // namespace portlight
