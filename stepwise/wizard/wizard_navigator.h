// The wizard's page sequence and its Next/Back state machine, apart from any window: the
// navigator decides which page to hide and show and what the buttons do, and a view carries
// it out.
#pragma once

#include <string>
#include <vector>

#include "script/profile_source.h"
#include "wizard/wizard_state.h"

namespace stepwise {

enum class Page {
    Welcome,
    License,
    Readme,
    User,
    Destination,
    SetupType,
    Folder,
    Start,
    Progress,
    Complete,
    Custom,  // shown in place of a sequence page after the setup type, never in the sequence
};

// "welcome", "license", ... as the sequence names them; "custom" for the components page.
const char* PageName(Page page);

// Page names in their fixed order, 1-based (index 0 is not used).
struct PageSequence {
    static constexpr int kMaxPages = 20;
    std::vector<Page> pages{Page::Welcome};  // placeholder at index 0

    int count() const { return static_cast<int>(pages.size()) - 1; }
    Page at(int index) const { return pages[index]; }
    bool Contains(Page page) const;
};

// DIALOG "0" to "7" (each exactly "1"), then "progress" always, then "complete" when
// DIALOG "10" is "1".
PageSequence BuildPageSequence(const ProfileSource& script);

// What the navigator asks of the window.
class WizardView {
  public:
    virtual ~WizardView() = default;
    virtual void ShowPage(Page page) = 0;
    virtual void HidePage(Page page) = 0;
    virtual void ShowBack(bool visible) = 0;
    virtual void EnableBack(bool enabled) = 0;
    virtual void ShowNext(bool visible) = 0;
    virtual void EnableNext(bool enabled) = 0;
    // "Next >", "Cancel", "< Back" or their language texts.
    virtual void RestoreButtonTexts() = 0;
    virtual void FocusPage(Page page) = 0;
    // Creates and shows the progress page, which starts the installation; the navigator has
    // already set the installation state to 255.
    virtual void StartInstallation() = 0;
    // Hides the progress page, shows the complete page and turns Cancel into "Finish".
    virtual void ShowCompletion() = 0;
};

class WizardNavigator {
  public:
    WizardNavigator(PageSequence sequence, WizardState& state, WizardView& view)
        : sequence_(std::move(sequence)), state_(state), view_(view) {}

    // Shows the first page; false when fewer than two pages are configured ("No dialogs
    // configured!": the wizard closes).
    bool Start();
    void Next();
    void Back();
    // Timer 1: true once the installation state has reached 100 and the complete page shows.
    bool WatchInstallation();

    int index() const { return index_; }
    bool customShown() const { return customShown_; }
    bool installationEnded() const { return ended_; }
    // The page the user sees.
    Page current() const { return customShown_ ? Page::Custom : sequence_.at(index_); }
    const PageSequence& sequence() const { return sequence_; }

  private:
    void Show(Page page);
    void Hide(Page page);
    void Enter(Page page);

    PageSequence sequence_;
    WizardState& state_;
    WizardView& view_;
    int index_ = 1;
    bool customShown_ = false;
    bool ended_ = false;
};

}  // namespace stepwise
