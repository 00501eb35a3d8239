#include "wizard/wizard_navigator.h"

namespace stepwise {

namespace {

struct Switch {
    const char* key;
    Page page;
};

constexpr Switch kSwitches[] = {
    {"0", Page::Welcome},     {"1", Page::License},   {"2", Page::Readme}, {"3", Page::User},
    {"4", Page::Destination}, {"5", Page::SetupType}, {"6", Page::Folder}, {"7", Page::Start},
};

}  // namespace

const char* PageName(Page page) {
    switch (page) {
        case Page::Welcome:
            return "welcome";
        case Page::License:
            return "license";
        case Page::Readme:
            return "readme";
        case Page::User:
            return "user";
        case Page::Destination:
            return "destination";
        case Page::SetupType:
            return "setuptype";
        case Page::Folder:
            return "folder";
        case Page::Start:
            return "start";
        case Page::Progress:
            return "progress";
        case Page::Complete:
            return "complete";
        case Page::Custom:
            return "custom";
    }
    return "";
}

bool PageSequence::Contains(Page page) const {
    for (int i = 1; i <= count(); ++i) {
        if (pages[i] == page)
            return true;
    }
    return false;
}

PageSequence BuildPageSequence(const ProfileSource& script) {
    PageSequence sequence;
    for (const Switch& s : kSwitches) {
        if (script.Read("DIALOG", s.key, kSwitchBuffer) == "1")
            sequence.pages.push_back(s.page);
    }
    sequence.pages.push_back(Page::Progress);
    if (script.Read("DIALOG", "10", kSwitchBuffer) == "1")
        sequence.pages.push_back(Page::Complete);
    return sequence;
}

void WizardNavigator::Show(Page page) {
    if (page == Page::SetupType)
        state_.setupType.ShownOrHidden(state_.customPending);
    view_.ShowPage(page);
}

void WizardNavigator::Hide(Page page) {
    if (page == Page::SetupType)
        state_.setupType.ShownOrHidden(state_.customPending);
    view_.HidePage(page);
}

// Shows a sequence page as the current one, with what entering it does.
void WizardNavigator::Enter(Page page) {
    Show(page);
    switch (page) {
        case Page::License:
            view_.EnableNext(false);
            view_.FocusPage(page);
            break;
        case Page::User:
        case Page::Folder:
            view_.FocusPage(page);
            break;
        case Page::Progress:
            view_.ShowBack(false);
            view_.ShowNext(false);
            state_.installationState = kInstalling;
            view_.StartInstallation();
            break;
        default:
            break;
    }
}

bool WizardNavigator::Start() {
    index_ = 1;
    view_.EnableBack(false);
    if (sequence_.count() <= 1)
        return false;
    Enter(sequence_.at(index_));
    return true;
}

void WizardNavigator::Next() {
    if (ended_ || index_ >= sequence_.count())
        return;
    if (customShown_) {
        view_.HidePage(Page::Custom);
        customShown_ = false;
    }
    Page left = sequence_.at(index_);
    Hide(left);
    ++index_;
    if (index_ > 1) {
        view_.ShowBack(true);
        view_.EnableBack(true);
        view_.RestoreButtonTexts();
    }
    // Custom chosen: the components page comes first; the next Next goes on after the
    // setup-type page.
    if (left == Page::SetupType && state_.customPending == kCustomPending) {
        state_.customPending = kCustomShownFlag;
        customShown_ = true;
        view_.ShowPage(Page::Custom);
        --index_;
        return;
    }
    Enter(sequence_.at(index_));
}

void WizardNavigator::Back() {
    if (ended_ || sequence_.at(index_) == Page::Progress)
        return;
    if (!customShown_ && index_ <= 1)
        return;
    view_.RestoreButtonTexts();
    view_.EnableNext(true);
    if (customShown_) {
        view_.HidePage(Page::Custom);
        customShown_ = false;
        ++index_;
    }
    Hide(sequence_.at(index_));
    --index_;
    if (index_ <= 1)
        view_.ShowBack(false);
    Show(sequence_.at(index_));
}

bool WizardNavigator::WatchInstallation() {
    if (ended_)
        return true;
    if (state_.installationState != kInstallEnded)
        return false;
    ended_ = true;
    view_.ShowCompletion();
    return true;
}

}  // namespace stepwise
