// The settings pop-up as a Win32 menu, built from SettingsMenu() with the check marks the
// options give. Command ids are IDM_SETTINGS_BASE + the Command value.
#pragma once

#include "app/commands.h"
#include "common/win32/handles_win.h"

namespace portlight {

win32::Menu CreateSettingsMenu(const SettingsCommands& commands);

// Shows the settings menu at `at` (screen pixels) for `owner`, which receives the chosen
// command as WM_COMMAND, and returns when the menu closes.
void TrackSettingsMenu(HWND owner, const SettingsCommands& commands, POINT at);

// The command a menu id stands for; Command::None outside the settings range.
Command SettingsMenuCommand(int id);

}  // namespace portlight
