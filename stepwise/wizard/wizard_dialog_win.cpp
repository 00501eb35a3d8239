#include "wizard/wizard_dialog_win.h"

#include <shellapi.h>

#include "res/resource.h"
#include "script/machine_win.h"
#include "wizard/confirm_dialogs_win.h"
#include "wizard/finish_actions.h"
#include "wizard/restart_request.h"
#include "wizard/wizard_pages_win.h"

namespace stepwise {

void RunWizardDialog(HINSTANCE instance,
                     InstallerContext& installer,
                     InstallationSequence& installation) {
    WizardDialog dialog(instance, installer, installation);
    dialog.RunModal(instance, IDD_WIZARD, nullptr);
}

WizardDialog::WizardDialog(HINSTANCE instance,
                           InstallerContext& installer,
                           InstallationSequence& installation)
    : instance_(instance),
      installer_(installer),
      installation_(installation),
      pageContext_{instance, installer, state_} {}

BOOL WizardDialog::OnInitDialog() {
    HICON icon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_STEPWISE));
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetWindowTextA(hwnd(), (installer_.AppName() + " - Stepwise").c_str());
    RestoreButtonTexts();

    HWND area = Item(IDC_WIZARD_PAGE_AREA);
    GetWindowRect(area, &pageArea_);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&pageArea_), 2);
    ShowWindow(area, SW_HIDE);

    PageSequence sequence = BuildPageSequence(*installer_.script);
    for (int i = 1; i <= sequence.count(); ++i) {
        Page page = sequence.at(i);
        if (page == Page::Progress || page == Page::Complete)
            continue;  // created when the installation starts and ends
        CreatePage(page);
        if (page == Page::SetupType)
            CreatePage(Page::Custom);
    }
    navigator_ = std::make_unique<WizardNavigator>(std::move(sequence), state_,
                                                   static_cast<WizardView&>(*this));
    if (!navigator_->Start()) {
        ShowMessage(hwnd(), "No dialogs configured!");
        EndDialog(IDCANCEL);
        return TRUE;
    }
    if (installer_.backgroundShown)
        SetTimer(hwnd(), kTopmostTimer, kTopmostDelayMs, nullptr);
    return TRUE;
}

void WizardDialog::CreatePage(Page page) {
    std::unique_ptr<WizardPage> created;
    switch (page) {
        case Page::Welcome:
            created = std::make_unique<CWelcome>(pageContext_);
            break;
        case Page::License:
            created = std::make_unique<CLicense>(pageContext_);
            break;
        case Page::Readme:
            created = std::make_unique<CReadme>(pageContext_);
            break;
        case Page::User:
            created = std::make_unique<CUser>(pageContext_);
            break;
        case Page::Destination:
            created = std::make_unique<CDestination>(pageContext_);
            break;
        case Page::SetupType:
            created = std::make_unique<CSetupType>(pageContext_);
            break;
        case Page::Custom:
            created = std::make_unique<CDCustom>(pageContext_);
            break;
        case Page::Folder:
            created = std::make_unique<CFolder>(pageContext_);
            break;
        case Page::Start:
            created = std::make_unique<CStartCopying>(pageContext_);
            break;
        case Page::Progress:
            created = std::make_unique<ProgressPage>(pageContext_);
            break;
        case Page::Complete:
            created = std::make_unique<CComplete>(pageContext_);
            break;
    }
    if (created && created->Create(hwnd(), pageArea_))
        pages_[page] = std::move(created);
}

WizardPage* WizardDialog::PageFor(Page page) {
    auto found = pages_.find(page);
    return found == pages_.end() ? nullptr : found->second.get();
}

void WizardDialog::ShowPage(Page page) {
    if (WizardPage* p = PageFor(page))
        p->Show();
}

void WizardDialog::HidePage(Page page) {
    if (WizardPage* p = PageFor(page))
        p->Hide();
}

void WizardDialog::ShowBack(bool visible) {
    ShowWindow(Item(IDC_WIZARD_BACK), visible ? SW_SHOW : SW_HIDE);
}

void WizardDialog::EnableBack(bool enabled) {
    EnableWindow(Item(IDC_WIZARD_BACK), enabled);
}

void WizardDialog::ShowNext(bool visible) {
    ShowWindow(Item(IDC_WIZARD_NEXT), visible ? SW_SHOW : SW_HIDE);
}

void WizardDialog::EnableNext(bool enabled) {
    EnableWindow(Item(IDC_WIZARD_NEXT), enabled);
}

void WizardDialog::RestoreButtonTexts() {
    SetItemText(IDC_WIZARD_NEXT, installer_.Text(1));
    SetItemText(IDC_WIZARD_BACK, installer_.Text(2));
    SetItemText(IDC_WIZARD_CANCEL, installer_.Text(3));
}

void WizardDialog::FocusPage(Page page) {
    if (WizardPage* p = PageFor(page))
        p->Focus();
}

void WizardDialog::StartInstallation() {
    CreatePage(Page::Progress);
    auto* progress = static_cast<ProgressPage*>(PageFor(Page::Progress));
    if (progress) {
        // Without DIALOG "8" the installation runs on a page of zero size.
        if (installer_.Read("DIALOG", "8", kSwitchBuffer) != "1")
            SetWindowPos(progress->hwnd(), nullptr, pageArea_.left, pageArea_.top, 0, 0,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        progress->Show();
    }
    SetTimer(hwnd(), kInstallationWatchTimer, kInstallationWatchMs, nullptr);
    if (progress)
        installation_.Begin(*progress, state_);
    else
        state_.installationState = kInstallEnded;  // nothing can report; let Finish come
}

void WizardDialog::ShowCompletion() {
    KillTimer(hwnd(), kInstallationWatchTimer);
    HidePage(Page::Progress);
    if (!PageFor(Page::Complete))
        CreatePage(Page::Complete);
    ShowPage(Page::Complete);
    SetItemText(IDC_WIZARD_CANCEL, installer_.Text(57));
}

void WizardDialog::OnTimer(UINT_PTR id) {
    if (id == kInstallationWatchTimer) {
        navigator_->WatchInstallation();
    } else if (id == kTopmostTimer) {
        KillTimer(hwnd(), kTopmostTimer);
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
}

void WizardDialog::OnCommand(int id, int notifyCode, HWND control) {
    if (!navigator_)
        return;
    switch (id) {
        case IDC_WIZARD_NEXT:
            navigator_->Next();
            break;
        case IDC_WIZARD_BACK:
            navigator_->Back();
            break;
        case IDC_WIZARD_CANCEL:
        case IDCANCEL:  // Escape and the close box ask like Cancel
            if (navigator_->installationEnded())
                Finish();
            else
                Cancel();
            break;
        default:
            // IDOK included: Enter inside a page neither presses Next nor closes the wizard.
            break;
    }
}

INT_PTR WizardDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == kEnableNextMessage || message == kDisableNextMessage) {
        EnableNext(message == kEnableNextMessage);
        handled = true;
        return TRUE;
    }
    if (message == DM_GETDEFID) {
        // No default button: Enter in a page's field must not press Next, even after Next
        // had the focus. A focused button still takes Enter itself.
        SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, 0);
        handled = true;
        return TRUE;
    }
    handled = false;
    return 0;
}

void WizardDialog::Cancel() {
    // The installation waits while the user decides, so "Yes" stops it where it was asked.
    installation_.Hold(true);
    if (RunCancelConfirmDialog(instance_, installer_, hwnd())) {
        EndDialog(IDCANCEL);
        return;
    }
    installation_.Hold(false);
}

void WizardDialog::Finish() {
    FinishPlan plan = PlanFinish(*installer_.script, installer_.installFolder, state_.readmeChecked,
                                 state_.runChecked);
    if (plan.askRestart) {
        if (RunRestartDialog(instance_, installer_, hwnd())) {
            WindowsShutdown shutdown;
            std::string refusal = RequestRestart(shutdown);
            if (!refusal.empty())
                ShowMessage(hwnd(), refusal);
        }
    } else {
        for (const std::string& path : plan.opens)
            ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    EndDialog(IDOK);
}

}  // namespace stepwise
