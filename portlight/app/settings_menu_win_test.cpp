#include "app/settings_menu_win.h"

#include <gtest/gtest.h>

#include "resource.h"

namespace portlight {
namespace {

class EmptyStore : public ProfileStore {
  public:
    std::string Read(const std::string&, const std::string& fallback) override { return fallback; }
    void Write(const std::string&, const std::string&) override {}
};

bool Checked(HMENU menu, Command command) {
    return (GetMenuState(menu, IDM_SETTINGS_BASE + static_cast<int>(command), MF_BYCOMMAND) &
            MF_CHECKED) != 0;
}

// The pop-up shows the options' check marks, down in the submenus, and its ids map back to
// their commands.
TEST(SettingsMenuWin, CheckMarksFollowTheOptions) {
    Options options;
    CommandHost host;
    EmptyStore store;
    SettingsCommands commands(options, host, store);
    commands.LoadOptions();
    options.TrayIcon = true;
    options.Refresh = "7";

    win32::Menu menu = CreateSettingsMenu(commands);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(Checked(menu.get(), Command::Active));
    EXPECT_TRUE(Checked(menu.get(), Command::GeneralTrayIcon));
    EXPECT_FALSE(Checked(menu.get(), Command::GeneralSliding));
    EXPECT_TRUE(Checked(menu.get(), Command::Refresh7));
    EXPECT_FALSE(Checked(menu.get(), Command::Refresh3));
    EXPECT_TRUE(Checked(menu.get(), Command::FilterMonitorAll));

    EXPECT_EQ(SettingsMenuCommand(IDM_SETTINGS_BASE + static_cast<int>(Command::Exit)),
              Command::Exit);
    EXPECT_EQ(SettingsMenuCommand(IDM_SETTINGS_BASE), Command::None);
    EXPECT_EQ(SettingsMenuCommand(IDM_SETTINGS_BASE + static_cast<int>(Command::PopupSettings) + 1),
              Command::None);
}

}  // namespace
}  // namespace portlight
