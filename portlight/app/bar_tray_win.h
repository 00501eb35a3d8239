// The bar's tray icon: the menu built from the tray captions, the welcome balloon, the
// connection count in the tool-tip and the check mark of "Active". A chosen item is turned
// into the command its caption stands for, so the tray menu dispatches by caption.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/commands.h"
#include "app/tray_icon_win.h"

namespace portlight {

class BarTray {
  public:
    BarTray();

    // Puts the icon on the notification area; the menu is built on the first call.
    void Show(HICON icon, bool activeChecked);
    void Remove();
    void SetActiveCheck(bool checked);
    void UpdateToolTip(const std::string& text);

    // The command of a chosen item; items whose caption names no command do nothing.
    std::function<void(Command)> onCommand;

    // The icon underneath (tests replace its shell call and read its menu).
    TrayIcon& icon() { return tray_; }

  private:
    void BuildMenu();

    TrayIcon tray_;
    bool menuBuilt_ = false;
    int activeItem_ = 0;  // 1-based position of "Active", 0 before the menu is built
};

}  // namespace portlight
