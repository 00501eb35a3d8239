#include "app/settings_menu_win.h"

#include "resource.h"

namespace portlight {

namespace {

win32::Menu BuildMenu(const std::vector<MenuEntry>& entries, const SettingsCommands& commands) {
    win32::Menu menu(CreatePopupMenu());
    for (const MenuEntry& e : entries) {
        if (e.separator) {
            AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else if (!e.submenu.empty()) {
            // The submenu belongs to its parent from here on.
            AppendMenuA(menu.get(), MF_POPUP,
                        reinterpret_cast<UINT_PTR>(BuildMenu(e.submenu, commands).release()),
                        e.caption.c_str());
        } else {
            UINT flags = MF_STRING | (commands.IsChecked(e.command) ? MF_CHECKED : 0);
            AppendMenuA(menu.get(), flags, IDM_SETTINGS_BASE + static_cast<int>(e.command),
                        e.caption.c_str());
        }
    }
    return menu;
}

}  // namespace

win32::Menu CreateSettingsMenu(const SettingsCommands& commands) {
    return BuildMenu(SettingsMenu(), commands);
}

void TrackSettingsMenu(HWND owner, const SettingsCommands& commands, POINT at) {
    win32::Menu menu = CreateSettingsMenu(commands);
    // The owner must be in the foreground or the menu stays open after a click elsewhere.
    SetForegroundWindow(owner);
    TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, owner,
                     nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
}

Command SettingsMenuCommand(int id) {
    if (id < IDM_SETTINGS_BASE + 1 ||
        id > IDM_SETTINGS_BASE + static_cast<int>(Command::PopupSettings))
        return Command::None;
    return static_cast<Command>(id - IDM_SETTINGS_BASE);
}

}  // namespace portlight
