// The settings menu and the commands behind it. Toggle commands flip their option; radio
// commands set their option's value. Check marks are derived from the options. Every option
// command saves the whole option set, but only once start-up has finished (OptionsLoaded),
// so LoadOptions can replay the commands.
#pragma once

#include <string>
#include <vector>

#include "app/options.h"

namespace portlight {

enum class Command : int {
    None = 0,
    Active,
    GeneralAutohide,
    GeneralAlwaysOnTop,
    GeneralTrayIcon,
    GeneralSliding,
    GeneralStartup,
    FilterActive,
    GeneralSegmentPID,
    FilterResolve,
    FilterLocalhost,
    FilterMonitorAll,
    FilterMonitorTCP,
    FilterMonitorUDP,
    UnknownShowAll,
    UnknownHideAll,
    UnknownHideNoPID,
    UnknownHideKnownPID,
    Refresh3,
    Refresh5,
    Refresh7,
    Refresh10,
    TickerUpdate,
    Help,
    About,
    Exit,
    PopupSettings,  // the tray menu's "Settings": shows the settings menu
};

// One entry of a menu: a command item, a separator or a submenu.
struct MenuEntry {
    std::string name;     // the entry's name, such as "mnuGeneralAutohide"
    std::string caption;  // as shown; "&" marks the access key
    Command command = Command::None;
    std::vector<MenuEntry> submenu;
    bool separator = false;
};

// The settings pop-up menu in display order.
const std::vector<MenuEntry>& SettingsMenu();

// The tray icon's menu captions in the order they are added ("-" is a separator).
const std::vector<std::string>& TrayMenuCaptions();

// The command a tray menu caption stands for; Command::None for any other caption.
Command TrayCaptionCommand(const std::string& caption);

// What the commands do outside the options themselves. Parts of the bar that are not
// there yet keep the default (nothing).
class CommandHost {
  public:
    virtual ~CommandHost() = default;
    virtual void DockingAutoHide(bool on) {}
    virtual void DockingAlwaysOnTop(bool on) {}
    virtual void DockingSlideEffect(bool on) {}
    virtual void DockingSlideTime(int milliseconds) {}
    virtual void DockingUpdateBar() {}
    virtual void ApplyStartWithWindows(bool on) {}
    virtual void SetupTrayIcon() {}
    virtual void RemoveTrayIcon() {}
    virtual void SetTrayActiveCheck(bool checked) {}
    virtual void SetRefreshInterval(int milliseconds) {}
    virtual void TickerUpdate() {}
    virtual void OpenHelp() {}
    virtual void ShowAbout() {}
    virtual void Exit() {}
    virtual void PopupSettings() {}
};

class SettingsCommands {
  public:
    SettingsCommands(Options& options, CommandHost& host, ProfileStore& store);

    void Run(Command command);
    // The command's check mark, from the options.
    bool IsChecked(Command command) const;

    // Reads every option (defaults for missing keys) and applies it through its command,
    // in the fixed start-up order. Does not save.
    void LoadOptions();

    bool OptionsLoaded = false;

  private:
    bool Toggle(Command command);
    void Saved();

    Options& options_;
    CommandHost& host_;
    ProfileStore& store_;
};

// Timer period of a Refresh option value; anything but "3", "5", "7", "10" gives 3000.
int RefreshMilliseconds(const std::string& refresh);

}  // namespace portlight
