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
        Submenu("mnuGeneral", "&General",
                {
                    Item("mnuGeneralAutohide", "Autohide Application Bar", Command::GeneralAutohide),
                    Item("mnuGeneralAlwaysOnTop", "Always On Top", Command::GeneralAlwaysOnTop),
                    Item("mnuGeneralTrayIcon", "Show Icon in System Tray", Command::GeneralTrayIcon),
                    Item("mnuGeneralSliding", "Sliding Effect", Command::GeneralSliding),
                    Item("mnuGeneralStartup", "Startup with Windows", Command::GeneralStartup),
                }),
        Submenu("mnuFilter", "&Filter",
                {
                    Item("mnuFilterActive", "Show Active Connections only", Command::FilterActive),
                    Item("mnuGeneralSegmentPID", "Segment Application PIDs",
                         Command::GeneralSegmentPID),
                    Item("mnuFilterResolve", "Resolve Host Names", Command::FilterResolve),
                    Item("mnuFilterLocalhost", "Show Localhost Connections",
                         Command::FilterLocalhost),
                    Submenu("mnuFilterMonitor", "Monitor",
                            {
                                Item("mnuFilterMonitorAll", "All Connections",
                                     Command::FilterMonitorAll),
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

SettingsCommands::SettingsCommands(Options& options, CommandHost& host, ProfileStore& store)
    : options_(options), host_(host), store_(store) {}

bool SettingsCommands::Toggle(Command command) {
    bool now = !IsChecked(command);
    if (now)
        checked_.insert(command);
    else
        checked_.erase(command);
    return now;
}

void SettingsCommands::Radio(Command chosen, std::initializer_list<Command> group) {
    for (Command c : group)
        checked_.erase(c);
    checked_.insert(chosen);
}

void SettingsCommands::Saved() {
    if (OptionsLoaded)
        SaveOptions(options_, store_);
}

void SettingsCommands::Run(Command command) {
    static constexpr std::initializer_list<Command> kMonitor = {
        Command::FilterMonitorAll, Command::FilterMonitorTCP, Command::FilterMonitorUDP};
    static constexpr std::initializer_list<Command> kUnknown = {
        Command::UnknownShowAll, Command::UnknownHideAll, Command::UnknownHideNoPID,
        Command::UnknownHideKnownPID};
    static constexpr std::initializer_list<Command> kRefresh = {
        Command::Refresh3, Command::Refresh5, Command::Refresh7, Command::Refresh10};

    switch (command) {
        case Command::Active:
            options_.Active = Toggle(command);
            host_.SetTrayActiveCheck(options_.Active);
            break;
        case Command::GeneralAutohide: {
            bool on = Toggle(command);
            options_.Autohide = BoolText(on);
            host_.DockingAutoHide(on);
            break;
        }
        case Command::GeneralAlwaysOnTop: {
            bool on = Toggle(command);
            options_.OnTop = BoolText(on);
            host_.DockingAlwaysOnTop(on);
            break;
        }
        case Command::GeneralTrayIcon: {
            bool on = Toggle(command);
            options_.TrayIcon = BoolText(on);
            if (on)
                host_.SetupTrayIcon();
            else
                host_.RemoveTrayIcon();
            break;
        }
        case Command::GeneralSliding:
            options_.SlidingEffect = Toggle(command);
            host_.DockingSlideEffect(options_.SlidingEffect);
            host_.DockingSlideTime(1000);
            host_.DockingUpdateBar();
            break;
        case Command::GeneralStartup: {
            bool on = Toggle(command);
            options_.Startup = BoolText(on);
            host_.ApplyStartWithWindows(on);
            break;
        }
        case Command::FilterActive:
            options_.ActiveOnly = BoolText(Toggle(command));
            break;
        case Command::GeneralSegmentPID:
            options_.SegmentPID = Toggle(command);
            break;
        case Command::FilterResolve:
            options_.ResolveHosts = BoolText(Toggle(command));
            break;
        case Command::FilterLocalhost:
            options_.ShowLocalHost = BoolText(Toggle(command));
            break;
        case Command::FilterMonitorAll:
        case Command::FilterMonitorTCP:
        case Command::FilterMonitorUDP:
            Radio(command, kMonitor);
            options_.Monitor = command == Command::FilterMonitorTCP   ? "TCP"
                               : command == Command::FilterMonitorUDP ? "UDP"
                                                                      : "All";
            break;
        case Command::UnknownShowAll:
        case Command::UnknownHideAll:
        case Command::UnknownHideNoPID:
        case Command::UnknownHideKnownPID:
            Radio(command, kUnknown);
            options_.Unknown = command == Command::UnknownShowAll     ? "ShowAll"
                               : command == Command::UnknownHideNoPID ? "NoPID"
                               : command == Command::UnknownHideKnownPID ? "KnownPID"
                                                                         : "All";
            break;
        case Command::Refresh3:
        case Command::Refresh5:
        case Command::Refresh7:
        case Command::Refresh10:
            Radio(command, kRefresh);
            options_.Refresh = command == Command::Refresh5   ? "5"
                               : command == Command::Refresh7  ? "7"
                               : command == Command::Refresh10 ? "10"
                                                               : "3";
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
    auto setCheck = [&](Command c, bool on) {
        if (on)
            checked_.insert(c);
        else
            checked_.erase(c);
    };

    options_.Autohide = store_.Read("Autohide", "True");
    setCheck(Command::GeneralAutohide, OptionIsTrue(options_.Autohide));
    host_.DockingAutoHide(OptionIsTrue(options_.Autohide));

    options_.Active = OptionIsTrue(store_.Read("Active", "True"));
    setCheck(Command::Active, options_.Active);

    options_.OnTop = store_.Read("OnTop", "True");
    setCheck(Command::GeneralAlwaysOnTop, OptionIsTrue(options_.OnTop));
    host_.DockingAlwaysOnTop(OptionIsTrue(options_.OnTop));

    options_.Startup = store_.Read("Startup", "True");
    setCheck(Command::GeneralStartup, OptionIsTrue(options_.Startup));
    host_.ApplyStartWithWindows(OptionIsTrue(options_.Startup));

    options_.SlidingEffect = OptionIsTrue(store_.Read("SlidingEffect", "False"));
    setCheck(Command::GeneralSliding, options_.SlidingEffect);
    host_.DockingSlideEffect(options_.SlidingEffect);
    host_.DockingUpdateBar();

    options_.TrayIcon = store_.Read("TrayIcon", "False");
    setCheck(Command::GeneralTrayIcon, OptionIsTrue(options_.TrayIcon));
    options_.ActiveOnly = store_.Read("ActiveOnly", "False");
    setCheck(Command::FilterActive, OptionIsTrue(options_.ActiveOnly));
    options_.ResolveHosts = store_.Read("ResolveHosts", "False");
    setCheck(Command::FilterResolve, OptionIsTrue(options_.ResolveHosts));
    options_.ShowLocalHost = store_.Read("ShowLocalHost", "True");
    setCheck(Command::FilterLocalhost, OptionIsTrue(options_.ShowLocalHost));

    options_.SegmentPID = OptionIsTrue(store_.Read("SegmentPID", "True"));
    setCheck(Command::GeneralSegmentPID, options_.SegmentPID);

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
