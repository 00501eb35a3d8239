#include "app/commands.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace portlight {
namespace {

// settings.db stand-in that records every write in order; keys compare without case as
// the private-profile functions do.
class MapStore : public ProfileStore {
  public:
    std::string Read(const std::string& key, const std::string& fallback) override {
        auto it = values.find(Lower(key));
        return it == values.end() ? fallback : it->second;
    }
    void Write(const std::string& key, const std::string& value) override {
        writes.push_back(key + "=" + value);
        values[Lower(key)] = value;
    }
    static std::string Lower(std::string s) {
        for (char& c : s)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        return s;
    }
    std::map<std::string, std::string> values;
    std::vector<std::string> writes;
};

class RecordingHost : public CommandHost {
  public:
    void DockingAutoHide(bool on) override {
        calls.push_back(std::string("autohide ") + BoolText(on));
    }
    void DockingAlwaysOnTop(bool on) override {
        calls.push_back(std::string("ontop ") + BoolText(on));
    }
    void DockingSlideEffect(bool on) override {
        calls.push_back(std::string("slide ") + BoolText(on));
    }
    void DockingSlideTime(int ms) override { calls.push_back("slidetime " + std::to_string(ms)); }
    void DockingUpdateBar() override { calls.push_back("updatebar"); }
    void ApplyStartWithWindows(bool on) override {
        calls.push_back(std::string("startup ") + BoolText(on));
    }
    void SetupTrayIcon() override { calls.push_back("tray on"); }
    void RemoveTrayIcon() override { calls.push_back("tray off"); }
    void SetTrayActiveCheck(bool c) override {
        calls.push_back(std::string("tray active ") + BoolText(c));
    }
    void SetRefreshInterval(int ms) override { calls.push_back("interval " + std::to_string(ms)); }
    void Exit() override { calls.push_back("exit"); }
    void PopupSettings() override { calls.push_back("popup"); }
    std::vector<std::string> calls;
};

struct Bar {
    Options options;
    RecordingHost host;
    MapStore store;
    SettingsCommands commands{options, host, store};
};

const std::vector<std::string> kAllKeysInOrder = {
    "Autohide", "OnTop",   "Startup", "TrayIcon",   "ActiveOnly", "ResolveHosts", "ShowLocalHost",
    "Monitor",  "Refresh", "Unknown", "SegmentPID", "Active",     "SlidingEffect"};

std::vector<std::string> KeysOf(const std::vector<std::string>& writes) {
    std::vector<std::string> keys;
    for (const auto& w : writes)
        keys.push_back(w.substr(0, w.find('=')));
    return keys;
}

// A fresh installation: defaults everywhere, commands replayed, nothing written.
TEST(LoadOptions, FreshInstallUsesDefaultsAndDoesNotSave) {
    Bar bar;
    bar.commands.LoadOptions();
    EXPECT_TRUE(bar.store.writes.empty());
    EXPECT_TRUE(bar.options.Active);
    EXPECT_FALSE(bar.options.ActiveOnly);
    EXPECT_EQ(bar.options.Monitor, "All");
    EXPECT_EQ(bar.options.Refresh, "3");
    EXPECT_EQ(bar.options.Unknown, "All");
    EXPECT_TRUE(bar.options.SegmentPID);
    EXPECT_FALSE(bar.options.TrayIcon);
    EXPECT_TRUE(bar.commands.IsChecked(Command::Active));
    EXPECT_TRUE(bar.commands.IsChecked(Command::GeneralAutohide));
    EXPECT_TRUE(bar.commands.IsChecked(Command::GeneralAlwaysOnTop));
    EXPECT_TRUE(bar.commands.IsChecked(Command::Refresh3));
    EXPECT_TRUE(bar.commands.IsChecked(Command::UnknownHideAll));
    EXPECT_TRUE(bar.commands.IsChecked(Command::FilterMonitorAll));
    EXPECT_FALSE(bar.commands.IsChecked(Command::GeneralTrayIcon));
    EXPECT_FALSE(bar.commands.IsChecked(Command::GeneralSliding));
    std::vector<std::string> expected = {"autohide True", "ontop True", "startup True",
                                         "slide False",   "updatebar",  "interval 3000"};
    EXPECT_EQ(bar.host.calls, expected);
}

// Stored values are replayed through their commands; unknown values fall back.
TEST(LoadOptions, ReplaysStoredValuesAndFallsBack) {
    Bar bar;
    bar.store.values = {{"refresh", "4"},       {"monitor", "tcp"},      {"unknown", "NoPID"},
                        {"activeonly", "True"}, {"segmentpid", "False"}, {"active", "False"}};
    bar.commands.LoadOptions();
    EXPECT_EQ(bar.options.Refresh, "3");
    EXPECT_TRUE(bar.commands.IsChecked(Command::Refresh3));
    EXPECT_EQ(bar.options.Monitor, "All");
    EXPECT_TRUE(bar.commands.IsChecked(Command::FilterMonitorAll));
    EXPECT_EQ(bar.options.Unknown, "NoPID");
    EXPECT_TRUE(bar.commands.IsChecked(Command::UnknownHideNoPID));
    EXPECT_FALSE(bar.commands.IsChecked(Command::UnknownHideAll));
    EXPECT_TRUE(bar.options.ActiveOnly);
    EXPECT_FALSE(bar.options.SegmentPID);
    EXPECT_FALSE(bar.options.Active);
    EXPECT_TRUE(bar.store.writes.empty());
}

// After start-up every option command rewrites all thirteen keys in the fixed order.
TEST(SettingsCommands, SaveAllKeysInOrderOnceLoaded) {
    Bar bar;
    bar.commands.LoadOptions();
    bar.commands.OptionsLoaded = true;
    bar.commands.Run(Command::Refresh5);
    EXPECT_EQ(KeysOf(bar.store.writes), kAllKeysInOrder);
    EXPECT_EQ(bar.store.values["refresh"], "5");
    EXPECT_TRUE(bar.commands.IsChecked(Command::Refresh5));
    EXPECT_FALSE(bar.commands.IsChecked(Command::Refresh3));
    EXPECT_EQ(bar.host.calls.back(), "interval 5000");

    bar.store.writes.clear();
    bar.commands.Run(Command::FilterMonitorTCP);
    bar.commands.Run(Command::FilterActive);
    EXPECT_EQ(bar.store.writes.size(), 26u);
    EXPECT_EQ(bar.store.values["monitor"], "TCP");
    EXPECT_EQ(bar.store.values["activeonly"], "True");
    EXPECT_EQ(bar.store.values["segmentpid"], "True");
    EXPECT_EQ(bar.store.values["slidingeffect"], "False");
}

// Toggles flip their check mark and option; the tray "Active" check follows mnuActive.
TEST(SettingsCommands, TogglesAndTheirEffects) {
    Bar bar;
    bar.commands.LoadOptions();
    bar.commands.OptionsLoaded = true;
    bar.host.calls.clear();

    bar.commands.Run(Command::Active);
    EXPECT_FALSE(bar.options.Active);
    EXPECT_FALSE(bar.commands.IsChecked(Command::Active));
    bar.commands.Run(Command::GeneralTrayIcon);
    EXPECT_TRUE(bar.options.TrayIcon);
    bar.commands.Run(Command::GeneralTrayIcon);
    EXPECT_FALSE(bar.options.TrayIcon);
    bar.commands.Run(Command::GeneralSliding);
    EXPECT_TRUE(bar.options.SlidingEffect);
    bar.commands.Run(Command::GeneralStartup);
    EXPECT_FALSE(bar.options.Startup);
    std::vector<std::string> expected = {"tray active False", "tray on",        "tray off",
                                         "slide True",        "slidetime 1000", "updatebar",
                                         "startup False"};
    EXPECT_EQ(bar.host.calls, expected);
    EXPECT_EQ(bar.store.values["active"], "False");
    EXPECT_EQ(bar.store.values["slidingeffect"], "True");
}

// On/off options read "True" in any letter case and anything else as off, save as
// "True"/"False", and their check marks follow the options without a second copy.
TEST(SettingsCommands, BooleanOptionsAndDerivedChecks) {
    Bar bar;
    bar.store.values = {
        {"autohide", "true"}, {"ontop", "yes"}, {"trayicon", "TRUE"}, {"showlocalhost", ""}};
    bar.commands.LoadOptions();
    EXPECT_TRUE(bar.options.Autohide);
    EXPECT_FALSE(bar.options.OnTop);
    EXPECT_TRUE(bar.options.TrayIcon);
    EXPECT_FALSE(bar.options.ShowLocalHost) << "a key present but empty is off";
    EXPECT_TRUE(bar.commands.IsChecked(Command::GeneralTrayIcon));
    EXPECT_FALSE(bar.commands.IsChecked(Command::GeneralAlwaysOnTop));

    bar.options.ResolveHosts = true;
    EXPECT_TRUE(bar.commands.IsChecked(Command::FilterResolve));
    bar.options.Monitor = "UDP";
    EXPECT_TRUE(bar.commands.IsChecked(Command::FilterMonitorUDP));
    EXPECT_FALSE(bar.commands.IsChecked(Command::FilterMonitorAll));
    EXPECT_FALSE(bar.commands.IsChecked(Command::Help)) << "commands without an option";

    bar.commands.OptionsLoaded = true;
    bar.commands.Run(Command::GeneralSegmentPID);
    EXPECT_EQ(bar.store.values["autohide"], "True");
    EXPECT_EQ(bar.store.values["ontop"], "False");
    EXPECT_EQ(bar.store.values["trayicon"], "True");
    EXPECT_EQ(bar.store.values["showlocalhost"], "False");
    EXPECT_EQ(bar.store.values["resolvehosts"], "True");
    EXPECT_EQ(bar.store.values["segmentpid"], "False");
}

// Radio groups keep exactly one check mark.
TEST(SettingsCommands, RadioGroupsKeepOneCheck) {
    Bar bar;
    bar.commands.LoadOptions();
    const Command unknown[] = {Command::UnknownShowAll, Command::UnknownHideAll,
                               Command::UnknownHideNoPID, Command::UnknownHideKnownPID};
    const char* values[] = {"ShowAll", "All", "NoPID", "KnownPID"};
    for (int i = 0; i < 4; ++i) {
        bar.commands.Run(unknown[i]);
        EXPECT_EQ(bar.options.Unknown, values[i]);
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(bar.commands.IsChecked(unknown[j]), i == j);
    }
    EXPECT_TRUE(bar.store.writes.empty()) << "nothing is saved before OptionsLoaded";
}

// The tray menu forwards by caption; other captions do nothing.
TEST(TrayMenu, DispatchByCaption) {
    EXPECT_EQ(TrayCaptionCommand("About"), Command::About);
    EXPECT_EQ(TrayCaptionCommand("Help"), Command::Help);
    EXPECT_EQ(TrayCaptionCommand("Settings"), Command::PopupSettings);
    EXPECT_EQ(TrayCaptionCommand("Exit"), Command::Exit);
    EXPECT_EQ(TrayCaptionCommand("Update Ticker"), Command::TickerUpdate);
    EXPECT_EQ(TrayCaptionCommand("Active"), Command::Active);
    EXPECT_EQ(TrayCaptionCommand("active"), Command::None);
    EXPECT_EQ(TrayCaptionCommand("        Portlight"), Command::None);
    ASSERT_EQ(TrayMenuCaptions().size(), 10u);
    EXPECT_EQ(TrayMenuCaptions().front(), "Active");
    EXPECT_EQ(TrayMenuCaptions().back(), "Exit");
}

// The settings menu: top-level captions with access keys, and every command reachable.
TEST(SettingsMenu, CaptionsAndCommands) {
    std::vector<std::string> top;
    for (const auto& e : SettingsMenu())
        top.push_back(e.separator ? "-" : e.caption);
    std::vector<std::string> expected = {
        "Active", "-",     "&General", "&Filter", "&Refresh Every", "-", "Update &Ticker",
        "-",      "&Help", "&About",   "-",       "E&xit"};
    EXPECT_EQ(top, expected);
    int commands = 0;
    std::function<void(const std::vector<MenuEntry>&)> walk = [&](const auto& entries) {
        for (const auto& e : entries) {
            if (e.command != Command::None)
                ++commands;
            walk(e.submenu);
        }
    };
    walk(SettingsMenu());
    EXPECT_EQ(commands, 25);
}

}  // namespace
}  // namespace portlight
