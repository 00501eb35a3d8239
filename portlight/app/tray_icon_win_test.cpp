#include "app/tray_icon_win.h"

#include <gtest/gtest.h>

#include <vector>

namespace portlight {
namespace {

// The shell as the icon sees it: every call recorded; adds fail while `refuseAdds` is set.
struct Shell {
    std::vector<DWORD> calls;
    bool refuseAdds = false;
    int icons = 0;
    BOOL Notify(DWORD message, NOTIFYICONDATAA*) {
        calls.push_back(message);
        if (message == NIM_ADD) {
            if (refuseAdds)
                return FALSE;
            ++icons;
        } else if (message == NIM_DELETE) {
            icons = 0;
        } else if (message == NIM_MODIFY) {
            return icons > 0;
        }
        return TRUE;
    }
};

bool PumpUntil(const std::function<bool()>& condition) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (condition())
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

// A failed add (the shell not up yet at logon) is retried until it succeeds; a restarted
// shell ("TaskbarCreated") gets the icon again, but not once the icon was removed.
TEST(TrayIcon, ComesBackAfterAFailedAddAndAShellRestart) {
    Shell shell;
    TrayIcon tray;
    tray.notify = [&](DWORD m, NOTIFYICONDATAA* d) { return shell.Notify(m, d); };
    tray.toolTip = "Portlight";
    shell.refuseAdds = true;
    tray.Show();
    EXPECT_EQ(shell.icons, 0);
    shell.refuseAdds = false;
    ASSERT_TRUE(PumpUntil([&] { return shell.icons == 1; })) << "the failed add is retried";
    EXPECT_TRUE(tray.shown());

    // The shell restarted: its icons are gone and it announces itself to every top window.
    shell.icons = 0;
    SendMessageA(tray.window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return shell.icons == 1; })) << "added again";

    tray.Remove();
    size_t calls = shell.calls.size();
    SendMessageA(tray.window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(shell.icons, 0);
    EXPECT_EQ(shell.calls.size(), calls) << "a removed icon stays away";
}

}  // namespace
}  // namespace portlight
