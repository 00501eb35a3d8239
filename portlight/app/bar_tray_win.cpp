#include "app/bar_tray_win.h"

namespace portlight {

BarTray::BarTray() {
    tray_.onItemChosen = [this](const std::string& caption) {
        Command c = TrayCaptionCommand(caption);
        if (c != Command::None && onCommand)
            onCommand(c);
    };
}

void BarTray::BuildMenu() {
    for (const std::string& caption : TrayMenuCaptions()) {
        const bool separator = caption == "-";
        int position = tray_.AddMenuItem(separator ? TrayIcon::kSeparator : TrayIcon::kText,
                                         separator ? "" : caption);
        if (caption == "Active")
            activeItem_ = position;
    }
    menuBuilt_ = true;
}

void BarTray::Show(HICON icon, bool activeChecked) {
    if (!menuBuilt_)
        BuildMenu();
    tray_.toolTip = "Portlight\r\n   Monitoring Open Ports.";
    tray_.balloonText =
        "Kestro - Portlight is now monitoring your system ports for any internet connections.";
    tray_.balloonTitle = "Welcome to Kestro - Portlight";
    tray_.balloonTimeout = 10000;
    tray_.balloonIconKind = TrayIcon::kBalloonInfo;
    tray_.menuTitle = "        Portlight";
    tray_.icon = icon;
    tray_.Show();
    SetActiveCheck(activeChecked);
}

void BarTray::Remove() {
    tray_.Remove();
}

void BarTray::SetActiveCheck(bool checked) {
    if (activeItem_ > 0)
        tray_.Item(activeItem_).checked = checked;
}

void BarTray::UpdateToolTip(const std::string& text) {
    tray_.UpdateToolTip(text);
}

}  // namespace portlight
