#include "wizard/wizard_navigator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/fake_profile.h"

namespace stepwise {
namespace {

// Records what the navigator asks of the window and keeps which pages are visible.
class RecordingView : public WizardView {
  public:
    void ShowPage(Page page) override {
        visible.push_back(page);
        log.push_back(std::string("show ") + PageName(page));
    }
    void HidePage(Page page) override {
        std::erase(visible, page);
        log.push_back(std::string("hide ") + PageName(page));
    }
    void ShowBack(bool v) override { backVisible = v; }
    void EnableBack(bool e) override { backEnabled = e; }
    void ShowNext(bool v) override { nextVisible = v; }
    void EnableNext(bool e) override { nextEnabled = e; }
    void RestoreButtonTexts() override { ++textRestores; }
    void FocusPage(Page page) override { focused = page; }
    void StartInstallation() override { ++installationsStarted; }
    void ShowCompletion() override { completionShown = true; }

    std::vector<Page> visible;
    std::vector<std::string> log;
    bool backVisible = true, backEnabled = true, nextVisible = true, nextEnabled = true;
    int textRestores = 0;
    Page focused = Page::Welcome;
    int installationsStarted = 0;
    bool completionShown = false;
};

FakeProfile Dialogs(std::initializer_list<const char*> on) {
    FakeProfile script;
    for (const char* key : on)
        script.Set("DIALOG", key, "1");
    return script;
}

std::vector<std::string> Names(const PageSequence& sequence) {
    std::vector<std::string> names;
    for (int i = 1; i <= sequence.count(); ++i)
        names.push_back(PageName(sequence.at(i)));
    return names;
}

using Strings = std::vector<std::string>;

// The sequence follows the fixed order; progress is always there, complete only with "10",
// and only the exact value "1" switches a page on.
TEST(PageSequence, BuiltFromDialogSwitches) {
    FakeProfile all = Dialogs({"0", "1", "2", "3", "4", "5", "6", "7", "8", "10"});
    EXPECT_EQ(Names(BuildPageSequence(all)),
              (Strings{"welcome", "license", "readme", "user", "destination", "setuptype", "folder",
                       "start", "progress", "complete"}));

    FakeProfile some = Dialogs({"7", "0"});
    some.Set("DIALOG", "1", "YES");
    some.Set("DIALOG", "3", " 1");
    some.Set("DIALOG", "4", "11");
    EXPECT_EQ(Names(BuildPageSequence(some)), (Strings{"welcome", "start", "progress"}));

    EXPECT_EQ(Names(BuildPageSequence(Dialogs({"10"}))), (Strings{"progress", "complete"}));
    EXPECT_EQ(Names(BuildPageSequence(Dialogs({}))), (Strings{"progress"}));
}

// Only "10": the progress page is the first page shown and the installation starts at once;
// nothing set: the wizard refuses to start ("No dialogs configured!").
TEST(WizardNavigator, StartEdgeCases) {
    WizardState state;
    RecordingView view;
    WizardNavigator onlyComplete(BuildPageSequence(Dialogs({"10"})), state, view);
    ASSERT_TRUE(onlyComplete.Start());
    EXPECT_EQ(onlyComplete.current(), Page::Progress);
    EXPECT_EQ(view.installationsStarted, 1);
    EXPECT_EQ(state.installationState, kInstalling);
    EXPECT_FALSE(view.nextVisible);
    EXPECT_FALSE(view.backVisible);

    WizardState emptyState;
    RecordingView emptyView;
    WizardNavigator none(BuildPageSequence(Dialogs({})), emptyState, emptyView);
    EXPECT_FALSE(none.Start());
    EXPECT_TRUE(emptyView.visible.empty());
    EXPECT_EQ(emptyView.installationsStarted, 0);
}

// Next and Back through welcome, license and user: Back disabled on the first page, hidden
// when the user returns to it; the license page disables Next; Back enables it again.
TEST(WizardNavigator, NextAndBackButtons) {
    WizardState state;
    RecordingView view;
    WizardNavigator nav(BuildPageSequence(Dialogs({"0", "1", "3"})), state, view);
    ASSERT_TRUE(nav.Start());
    EXPECT_EQ(view.visible, std::vector<Page>{Page::Welcome});
    EXPECT_FALSE(view.backEnabled);
    EXPECT_TRUE(view.backVisible);

    nav.Next();
    EXPECT_EQ(view.visible, std::vector<Page>{Page::License});
    EXPECT_TRUE(view.backVisible && view.backEnabled);
    EXPECT_FALSE(view.nextEnabled);
    EXPECT_EQ(view.focused, Page::License);

    view.EnableNext(true);  // the accept choice
    nav.Next();
    EXPECT_EQ(nav.current(), Page::User);
    EXPECT_EQ(view.focused, Page::User);

    nav.Back();
    nav.Back();
    EXPECT_EQ(view.visible, std::vector<Page>{Page::Welcome});
    EXPECT_FALSE(view.backVisible);
    EXPECT_TRUE(view.nextEnabled);
    nav.Back();  // nothing before the first page
    EXPECT_EQ(nav.index(), 1);
    EXPECT_EQ(view.visible, std::vector<Page>{Page::Welcome});
}

// Custom chosen, then Next: the components page shows in place of the next page; Back lands
// on the setup-type page showing Typical while the choice stays Custom; Next with Typical
// showing then goes past the components page.
TEST(WizardNavigator, CustomComponentsPage) {
    WizardState state;
    RecordingView view;
    WizardNavigator nav(BuildPageSequence(Dialogs({"4", "5", "7"})), state, view);
    ASSERT_TRUE(nav.Start());
    nav.Next();
    ASSERT_EQ(nav.current(), Page::SetupType);
    EXPECT_EQ(state.setupType.selected, kSetupTypical);
    state.setupType.Click(kSetupCustom);

    nav.Next();
    EXPECT_EQ(nav.current(), Page::Custom);
    EXPECT_TRUE(nav.customShown());
    EXPECT_EQ(view.visible, std::vector<Page>{Page::Custom});
    EXPECT_EQ(state.customPending, kCustomShownFlag);

    nav.Back();
    EXPECT_EQ(nav.current(), Page::SetupType);
    EXPECT_EQ(view.visible, std::vector<Page>{Page::SetupType});
    EXPECT_EQ(state.setupType.selected, kSetupTypical);
    EXPECT_EQ(state.setupType.choice, kSetupCustom);

    nav.Next();
    EXPECT_EQ(nav.current(), Page::Start);
    EXPECT_EQ(view.visible, std::vector<Page>{Page::Start});

    // Back to the setup type, Custom again: the components page, and its Next goes on.
    nav.Back();
    state.setupType.Click(kSetupCustom);
    nav.Next();
    EXPECT_EQ(nav.current(), Page::Custom);
    nav.Next();
    EXPECT_EQ(nav.current(), Page::Start);
    EXPECT_EQ(view.visible, std::vector<Page>{Page::Start});
    EXPECT_EQ(state.setupType.choice, kSetupCustom);
}

// Compact stays the choice; leaving the page shows the next sequence page.
TEST(WizardNavigator, CompactSkipsComponents) {
    WizardState state;
    RecordingView view;
    WizardNavigator nav(BuildPageSequence(Dialogs({"5", "6"})), state, view);
    ASSERT_TRUE(nav.Start());
    state.setupType.Click(kSetupCompact);
    nav.Next();
    EXPECT_EQ(nav.current(), Page::Folder);
    EXPECT_EQ(state.setupType.choice, kSetupCompact);
    EXPECT_EQ(state.setupType.selected, kSetupTypical);
}

// Reaching progress hides Back and Next and starts the installation once; timer 1 does
// nothing until the state is 100, then shows the completion; Next and Back are dead after.
TEST(WizardNavigator, ProgressThenCompletion) {
    WizardState state;
    RecordingView view;
    WizardNavigator nav(BuildPageSequence(Dialogs({"0"})), state, view);
    ASSERT_TRUE(nav.Start());
    nav.Next();
    EXPECT_EQ(nav.current(), Page::Progress);
    EXPECT_FALSE(view.nextVisible);
    EXPECT_FALSE(view.backVisible);
    EXPECT_EQ(view.installationsStarted, 1);
    EXPECT_FALSE(nav.WatchInstallation());
    EXPECT_FALSE(view.completionShown);

    nav.Back();
    nav.Next();
    EXPECT_EQ(nav.current(), Page::Progress);
    EXPECT_EQ(view.installationsStarted, 1);

    state.installationState = kInstallEnded;
    EXPECT_TRUE(nav.WatchInstallation());
    EXPECT_TRUE(view.completionShown);
    EXPECT_TRUE(nav.installationEnded());
}

}  // namespace
}  // namespace stepwise
