// The settings pop-up as a Win32 menu, built from SettingsMenu() with the check marks the
// options give. Command ids are IDM_SETTINGS_BASE + the Command value.
#pragma once

#include "app/commands.h"
#include "common/win32/handles_win.h"

namespace portlight {

win32::Menu CreateSettingsMenu(const SettingsCommands& commands);

// The command a menu id stands for; Command::None outside the settings range.
Command SettingsMenuCommand(int id);

}  // namespace portlight
