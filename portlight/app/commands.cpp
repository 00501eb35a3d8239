#include "app/commands.h"

#include "capture/netstat_command.h"

namespace portlight {

namespace {

MenuEntry Item(const char* name, const char* caption, Command command) {
    return MenuEntry{name, caption, command, {}, false};
}

MenuEntry Separator() {
    return MenuEntry{"", "", Command::None, {}, true};
}

MenuEntry Submenu(const char* name, const char* caption, std::vector<MenuEntry> entries) {
    return MenuEntry{name, caption, Command::None, std::move(entries), false};
}

}  // namespace

const std::vector<MenuEntry>& SettingsMenu() {
    static const std::vector<MenuEntry> menu = {
        Item("mnuActive", "Active", Command::Active),
        Separator(),
        Submenu(
            "mnuGeneral", "&General",
            {
                Item("mnuGeneralAutohide", "Autohide Application Bar", Command::GeneralAutohide),
                Item("mnuGeneralAlwaysOnTop", "Always On Top", Command::GeneralAlwaysOnTop),
                Item("mnuGeneralTrayIcon", "Show Icon in System Tray", Command::GeneralTrayIcon),
                Item("mnuGeneralSliding", "Sliding Effect", Command::GeneralSliding),
                Item("mnuGeneralStartup", "Startup with Windows", Command::GeneralStartup),
            }),
        Submenu(
            "mnuFilter", "&Filter",
            {
                Item("mnuFilterActive", "Show Active Connections only", Command::FilterActive),
                Item("mnuGeneralSegmentPID", "Segment Application PIDs",
                     Command::GeneralSegmentPID),
                Item("mnuFilterResolve", "Resolve Host Names", Command::FilterResolve),
                Item("mnuFilterLocalhost", "Show Localhost Connections", Command::FilterLocalhost),
                Submenu(
                    "mnuFilterMonitor", "Monitor",
                    {
                        Item("mnuFilterMonitorAll", "All Connections", Command::FilterMonitorAll),
                        Item("mnuFilterMonitorTCP", "TCP Connections only",
                             Command::FilterMonitorTCP),
                        Item("mnuFilterMonitorUDP", "UDP Connections only",
                             Command::FilterMonitorUDP),
                    }),
                Submenu("mnuUnknown", "Unknown Files",
                        {
                            Item("mnuUnknownShowAll", "Show All Unknown Files",
                                 Command::UnknownShowAll),
                            Item("mnuUnknownHideAll", "Hide All UnKnown Files",
                                 Command::UnknownHideAll),
                            Item("mnuUnknownHideNoPID", "Hide Unknowns with no PIDs",
                                 Command::UnknownHideNoPID),
                            Item("mnuUnknownHideKnownPID", "Hide Unknowns with known PIDs",
                                 Command::UnknownHideKnownPID),
                        }),
            }),
        Submenu("mnuRefresh", "&Refresh Every",
                {
                    Item("mnuRefresh3", "3 seconds", Command::Refresh3),
                    Item("mnuRefresh5", "5 seconds", Command::Refresh5),
                    Item("mnuRefresh7", "7 seconds", Command::Refresh7),
                    Item("mnuRefresh10", "10 seconds", Command::Refresh10),
                }),
        Separator(),
        Item("mnuTickerUpdate", "Update &Ticker", Command::TickerUpdate),
        Separator(),
        Item("mnuHelp", "&Help", Command::Help),
        Item("mnuAbout", "&About", Command::About),
        Separator(),
        Item("mnuExit", "E&xit", Command::Exit),
    };
    return menu;
}

const std::vector<std::string>& TrayMenuCaptions() {
    static const std::vector<std::string> captions = {
        "Active", "-", "Settings", "-", "Update Ticker", "-", "Help", "About", "-", "Exit"};
    return captions;
}

Command TrayCaptionCommand(const std::string& caption) {
    if (caption == "About")
        return Command::About;
    if (caption == "Help")
        return Command::Help;
    if (caption == "Settings")
        return Command::PopupSettings;
    if (caption == "Exit")
        return Command::Exit;
    if (caption == "Update Ticker")
        return Command::TickerUpdate;
    if (caption == "Active")
        return Command::Active;
    return Command::None;
}

int RefreshMilliseconds(const std::string& refresh) {
    if (refresh == "5")
        return 5000;
    if (refresh == "7")
        return 7000;
    if (refresh == "10")
        return 10000;
    return 3000;
}

namespace {

// The option an on/off command flips; null for every other command.
bool* FlagOf(Options& o, Command command) {
    switch (command) {
        case Command::Active:
            return &o.Active;
        case Command::GeneralAutohide:
            return &o.Autohide;
        case Command::GeneralAlwaysOnTop:
            return &o.OnTop;
        case Command::GeneralTrayIcon:
            return &o.TrayIcon;
        case Command::GeneralSliding:
            return &o.SlidingEffect;
        case Command::GeneralStartup:
            return &o.Startup;
        case Command::FilterActive:
            return &o.ActiveOnly;
        case Command::GeneralSegmentPID:
            return &o.SegmentPID;
        case Command::FilterResolve:
            return &o.ResolveHosts;
        case Command::FilterLocalhost:
            return &o.ShowLocalHost;
        default:
            return nullptr;
    }
}

// The option value a radio command stands for; null for every other command.
const char* RadioValue(Command command) {
    switch (command) {
        case Command::FilterMonitorAll:
            return "All";
        case Command::FilterMonitorTCP:
            return "TCP";
        case Command::FilterMonitorUDP:
            return "UDP";
        case Command::UnknownShowAll:
            return "ShowAll";
        case Command::UnknownHideAll:
            return "All";
        case Command::UnknownHideNoPID:
            return "NoPID";
        case Command::UnknownHideKnownPID:
            return "KnownPID";
        case Command::Refresh3:
            return "3";
        case Command::Refresh5:
            return "5";
        case Command::Refresh7:
            return "7";
        case Command::Refresh10:
            return "10";
        default:
            return nullptr;
    }
}

}  // namespace

SettingsCommands::SettingsCommands(Options& options, CommandHost& host, ProfileStore& store)
    : options_(options), host_(host), store_(store) {}

bool SettingsCommands::IsChecked(Command command) const {
    if (const bool* flag = FlagOf(options_, command))
        return *flag;
    const char* value = RadioValue(command);
    if (!value)
        return false;
    switch (command) {
        case Command::FilterMonitorAll:
        case Command::FilterMonitorTCP:
        case Command::FilterMonitorUDP:
            return options_.Monitor == value;
        case Command::Refresh3:
        case Command::Refresh5:
        case Command::Refresh7:
        case Command::Refresh10:
            return options_.Refresh == value;
        default:
            return options_.Unknown == value;
    }
}

bool SettingsCommands::Toggle(Command command) {
    bool* flag = FlagOf(options_, command);
    *flag = !*flag;
    return *flag;
}

void SettingsCommands::Saved() {
    if (OptionsLoaded)
        SaveOptions(options_, store_);
}

void SettingsCommands::Run(Command command) {
    switch (command) {
        case Command::Active:
            host_.SetTrayActiveCheck(Toggle(command));
            break;
        case Command::GeneralAutohide:
            host_.DockingAutoHide(Toggle(command));
            break;
        case Command::GeneralAlwaysOnTop:
            host_.DockingAlwaysOnTop(Toggle(command));
            break;
        case Command::GeneralTrayIcon:
            if (Toggle(command))
                host_.SetupTrayIcon();
            else
                host_.RemoveTrayIcon();
            break;
        case Command::GeneralSliding:
            host_.DockingSlideEffect(Toggle(command));
            host_.DockingSlideTime(1000);
            host_.DockingUpdateBar();
            break;
        case Command::GeneralStartup:
            host_.ApplyStartWithWindows(Toggle(command));
            break;
        case Command::FilterActive:
        case Command::GeneralSegmentPID:
        case Command::FilterResolve:
        case Command::FilterLocalhost:
            Toggle(command);
            break;
        case Command::FilterMonitorAll:
        case Command::FilterMonitorTCP:
        case Command::FilterMonitorUDP:
            options_.Monitor = RadioValue(command);
            break;
        case Command::UnknownShowAll:
        case Command::UnknownHideAll:
        case Command::UnknownHideNoPID:
        case Command::UnknownHideKnownPID:
            options_.Unknown = RadioValue(command);
            break;
        case Command::Refresh3:
        case Command::Refresh5:
        case Command::Refresh7:
        case Command::Refresh10:
            options_.Refresh = RadioValue(command);
            host_.SetRefreshInterval(RefreshMilliseconds(options_.Refresh));
            break;
        case Command::TickerUpdate:
            host_.TickerUpdate();
            return;
        case Command::Help:
            host_.OpenHelp();
            return;
        case Command::About:
            host_.ShowAbout();
            return;
        case Command::Exit:
            host_.Exit();
            return;
        case Command::PopupSettings:
            host_.PopupSettings();
            return;
        case Command::None:
            return;
    }
    Saved();
}

void SettingsCommands::LoadOptions() {
    options_.Autohide = ReadBoolOption(store_, "Autohide", true);
    host_.DockingAutoHide(options_.Autohide);

    options_.Active = ReadBoolOption(store_, "Active", true);

    options_.OnTop = ReadBoolOption(store_, "OnTop", true);
    host_.DockingAlwaysOnTop(options_.OnTop);

    options_.Startup = ReadBoolOption(store_, "Startup", true);
    host_.ApplyStartWithWindows(options_.Startup);

    options_.SlidingEffect = ReadBoolOption(store_, "SlidingEffect", false);
    host_.DockingSlideEffect(options_.SlidingEffect);
    host_.DockingUpdateBar();

    options_.TrayIcon = ReadBoolOption(store_, "TrayIcon", false);
    options_.ActiveOnly = ReadBoolOption(store_, "ActiveOnly", false);
    options_.ResolveHosts = ReadBoolOption(store_, "ResolveHosts", false);
    options_.ShowLocalHost = ReadBoolOption(store_, "ShowLocalHost", true);
    options_.SegmentPID = ReadBoolOption(store_, "SegmentPID", true);
    options_.SendUsage = ReadBoolOption(store_, "SendUsage", true);

    std::string monitor = store_.Read("Monitor", "All");
    Run(monitor == "TCP"   ? Command::FilterMonitorTCP
        : monitor == "UDP" ? Command::FilterMonitorUDP
                           : Command::FilterMonitorAll);

    std::string refresh = store_.Read("Refresh", "3");
    Run(refresh == "5"    ? Command::Refresh5
        : refresh == "7"  ? Command::Refresh7
        : refresh == "10" ? Command::Refresh10
                          : Command::Refresh3);

    std::string unknown = store_.Read("Unknown", "All");
    Run(unknown == "ShowAll"    ? Command::UnknownShowAll
        : unknown == "NoPID"    ? Command::UnknownHideNoPID
        : unknown == "KnownPID" ? Command::UnknownHideKnownPID
                                : Command::UnknownHideAll);
}

}  // namespace portlight
