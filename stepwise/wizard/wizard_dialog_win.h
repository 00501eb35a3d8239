// WizardDialog: the window the user works with after preparation. It hosts the configured
// pages over its page area, moves through them with Next and Back, runs the installation on
// the progress page and ends with the complete page's Finish.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "common/win32/dialog_win.h"
#include "script/installer_context.h"
#include "wizard/installation_sequence.h"
#include "wizard/wizard_navigator.h"
#include "wizard/wizard_page_win.h"
#include "wizard/wizard_state.h"

namespace stepwise {

// Timer ids of the wizard.
constexpr UINT_PTR kInstallationWatchTimer = 1;  // every 300 ms while installing
constexpr UINT_PTR kTopmostTimer = 2;            // once, 500 ms after start, over the background
constexpr UINT kInstallationWatchMs = 300;
constexpr UINT kTopmostDelayMs = 500;

// Runs the wizard modally; returns when it has closed (the program then ends).
void RunWizardDialog(HINSTANCE instance,
                     InstallerContext& installer,
                     InstallationSequence& installation);

class WizardDialog : public win32::Dialog, private WizardView {
  public:
    WizardDialog(HINSTANCE instance,
                 InstallerContext& installer,
                 InstallationSequence& installation);

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // WizardView
    void ShowPage(Page page) override;
    void HidePage(Page page) override;
    void ShowBack(bool visible) override;
    void EnableBack(bool enabled) override;
    void ShowNext(bool visible) override;
    void EnableNext(bool enabled) override;
    void RestoreButtonTexts() override;
    void FocusPage(Page page) override;
    void StartInstallation() override;
    void ShowCompletion() override;

    void CreatePage(Page page);
    WizardPage* PageFor(Page page);
    void Cancel();
    void Finish();

    HINSTANCE instance_;
    InstallerContext& installer_;
    InstallationSequence& installation_;
    WizardState state_;
    PageContext pageContext_;
    std::map<Page, std::unique_ptr<WizardPage>> pages_;
    std::unique_ptr<WizardNavigator> navigator_;
    RECT pageArea_ = {};
};

}  // namespace stepwise
