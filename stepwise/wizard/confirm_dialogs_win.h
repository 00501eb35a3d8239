// The wizard's two questions: CancelConfirmDialog ("Yes" cancels the installation) and
// RestartDialog ("Yes" restarts Windows), with their language texts; and the real shutdown
// calls behind the restart.
#pragma once

#include <windows.h>

#include "common/win32/dialog_win.h"
#include "script/installer_context.h"
#include "wizard/restart_request.h"

namespace stepwise {

class QuestionDialog : public win32::Dialog {
  public:
    QuestionDialog(const InstallerContext& installer, int messageKey, int yesId, int noId)
        : installer_(installer), messageKey_(messageKey), yesId_(yesId), noId_(noId) {}

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;

    const InstallerContext& installer_;
    int messageKey_;
    int yesId_;
    int noId_;
};

// True when the user answers "Yes" (cancel the installation).
bool RunCancelConfirmDialog(HINSTANCE instance, const InstallerContext& installer, HWND owner);
// True when the user answers "Yes" (restart now).
bool RunRestartDialog(HINSTANCE instance, const InstallerContext& installer, HWND owner);

// SeShutdownPrivilege through the process token, and ExitWindowsEx.
class WindowsShutdown : public ShutdownCalls {
  public:
    bool EnableShutdownPrivilege() override;
    bool RequestExit(unsigned flags) override;
};

}  // namespace stepwise
