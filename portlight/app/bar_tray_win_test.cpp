#include "app/bar_tray_win.h"

#include <gtest/gtest.h>

#include <vector>

namespace portlight {
namespace {

// The tray menu is built once from the tray captions however often the icon is shown,
// "Active" carries the option's check mark, and each chosen item reaches onCommand as the
// command its caption stands for; separators choose nothing.
TEST(BarTray, MenuOfCaptionsDispatchesCommands) {
    BarTray tray;
    int adds = 0;
    tray.icon().notify = [&](DWORD message, NOTIFYICONDATAA*) {
        adds += message == NIM_ADD;
        return TRUE;
    };
    std::vector<Command> chosen;
    tray.onCommand = [&](Command c) { chosen.push_back(c); };

    tray.Show(nullptr, true);
    tray.Remove();
    tray.Show(nullptr, false);  // the option turned off and on again
    EXPECT_EQ(adds, 2);
    const std::vector<std::string>& captions = TrayMenuCaptions();
    ASSERT_EQ(tray.icon().ItemCount(), captions.size()) << "one menu, not one per Show";
    ASSERT_EQ(tray.icon().Item(1).caption, "Active");
    EXPECT_FALSE(tray.icon().Item(1).checked) << "the check of the last Show";
    tray.SetActiveCheck(true);
    EXPECT_TRUE(tray.icon().Item(1).checked);
    EXPECT_EQ(tray.icon().Item(2).kind, TrayIcon::kSeparator);

    // The tray window takes WM_COMMAND 100 + n as a choice of item n (0-based).
    for (size_t i = 0; i < captions.size(); ++i)
        SendMessageA(tray.icon().window(), WM_COMMAND, 100 + i, 0);
    std::vector<Command> expected;
    for (const std::string& caption : captions)
        if (caption != "-")
            expected.push_back(TrayCaptionCommand(caption));
    EXPECT_EQ(chosen, expected);
    EXPECT_EQ(chosen.front(), Command::Active);
    EXPECT_EQ(chosen.back(), Command::Exit);
}

}  // namespace
}  // namespace portlight
