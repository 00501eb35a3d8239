#include "display/details_window_win.h"

#include <gtest/gtest.h>

#include "display/clipboard_win.h"
#include "display/details_ids.h"

namespace portlight {
namespace {

class DetailsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(window_.Create(GetModuleHandleA(nullptr))); }
    HWND Item(int id) {
        HWND panel = GetDlgItem(window_.hwnd(), kIdcPicNetstatsInfo);
        return GetDlgItem(panel, id);
    }
    void Press(int id) {
        SendMessageA(window_.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(id)));
    }
    DetailsWindow window_;
};

// Loaded hidden with its caption; Terminate, W, P and T start disabled, Copy enabled; the
// list scrolls sideways to the long sample line and starts empty.
TEST_F(DetailsWindowTest, LoadsHiddenWithDesignControls) {
    char caption[64] = {};
    GetWindowTextA(window_.hwnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Details Window");
    EXPECT_FALSE(IsWindowVisible(window_.hwnd()));
    for (int id : {kIdcCmdNetstatsTerminate, kIdcCmdNetstatsWhoIs, kIdcCmdNetstatsPing,
                   kIdcCmdNetstatsTrace})
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    EXPECT_TRUE(IsWindowEnabled(Item(kIdcCmdNetstatsCopy)));
    EXPECT_EQ(window_.LineCount(), 0);
    EXPECT_GT(SendMessageA(Item(kIdcLstNetstatsInfo), LB_GETHORIZONTALEXTENT, 0, 0), 20);
    char text[16] = {};
    GetWindowTextA(Item(kIdcCmdNetstatsCopy), text, sizeof text);
    EXPECT_STREQ(text, "Copy");
}

// Selecting lines applies the rule; Copy puts the value of the selected line on the
// clipboard, a connection-list line's text after its first colon.
TEST_F(DetailsWindowTest, SelectionAndCopy) {
    window_.SetLines({"Remote Addr  : 93.184.216.34", "Process ID   : 4 >> [System]",
                      "Process ID   : 1234 >> [Normal]",
                      "TCP    10.0.0.2:50000    93.184.216.34:443    ESTABLISHED    884"});
    window_.Select(1);
    EXPECT_FALSE(IsWindowEnabled(Item(kIdcCmdNetstatsTerminate)));
    window_.Select(2);
    EXPECT_TRUE(IsWindowEnabled(Item(kIdcCmdNetstatsTerminate)));
    EXPECT_EQ(window_.terminationTarget, "1234 >> [Normal]");
    window_.Select(0);
    EXPECT_FALSE(IsWindowEnabled(Item(kIdcCmdNetstatsTerminate)));

    Press(kIdcCmdNetstatsCopy);
    EXPECT_EQ(ClipboardText(window_.hwnd()), "93.184.216.34");
    window_.Select(3);
    Press(kIdcCmdNetstatsCopy);
    EXPECT_EQ(ClipboardText(window_.hwnd()), "50000    93.184.216.34:443    ESTABLISHED    884");
    window_.Select(-1);
    Press(kIdcCmdNetstatsCopy);
    EXPECT_EQ(ClipboardText(window_.hwnd()), "");
}

// A replaced line keeps its place and the selection; Exit hides the window and clears
// DetailsActive.
TEST_F(DetailsWindowTest, ReplaceLineAndExit) {
    window_.SetLines({"a", "Local Host   : ", "c"});
    window_.Select(1);
    window_.ReplaceLine(1, "Local Host   : localhost");
    window_.ReplaceLine(7, "ignored");
    EXPECT_EQ(window_.Lines(), (std::vector<std::string>{"a", "Local Host   : localhost", "c"}));
    EXPECT_EQ(SendMessageA(Item(kIdcLstNetstatsInfo), LB_GETCURSEL, 0, 0), 1);

    window_.Show();
    window_.DetailsActive = true;
    EXPECT_TRUE(IsWindowVisible(window_.hwnd()));
    Press(kIdcCmdExitNetstatInfo);
    EXPECT_FALSE(IsWindowVisible(window_.hwnd()));
    EXPECT_FALSE(window_.DetailsActive);
}

// Resizing scales the controls; minimising leaves them where they were.
TEST_F(DetailsWindowTest, ProportionalLayout) {
    HWND list = Item(kIdcLstNetstatsInfo);
    RECT client;
    GetClientRect(window_.hwnd(), &client);
    RECT before;
    GetWindowRect(list, &before);
    SendMessageA(window_.hwnd(), WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(client.right * 2, client.bottom * 2));
    RECT doubled;
    GetWindowRect(list, &doubled);
    EXPECT_NEAR(doubled.right - doubled.left, 2 * (before.right - before.left), 2);
    EXPECT_NEAR(doubled.bottom - doubled.top, 2 * (before.bottom - before.top), 2);
    SendMessageA(window_.hwnd(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    RECT minimised;
    GetWindowRect(list, &minimised);
    EXPECT_EQ(minimised.right - minimised.left, doubled.right - doubled.left);
    EXPECT_EQ(minimised.bottom - minimised.top, doubled.bottom - doubled.top);
}

}  // namespace
}  // namespace portlight
