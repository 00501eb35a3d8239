#include "wizard/confirm_dialogs_win.h"

#include "common/win32/handles_win.h"
#include "res/resource.h"

namespace stepwise {

static_assert(kExitReboot == EWX_REBOOT && kExitForce == EWX_FORCE &&
              kExitForceIfHung == EWX_FORCEIFHUNG);

BOOL QuestionDialog::OnInitDialog() {
    SetItemText(IDC_QUESTION_TEXT, installer_.Text(messageKey_));
    SetItemText(yesId_, installer_.Text(10));
    SetItemText(noId_, installer_.Text(11));
    return TRUE;
}

void QuestionDialog::OnCommand(int id, int notifyCode, HWND control) {
    if (id == IDOK || id == IDCANCEL)
        EndDialog(id);
}

bool RunCancelConfirmDialog(HINSTANCE instance, const InstallerContext& installer, HWND owner) {
    // "Yes" carries the cancel result, "No" (the default) the OK result.
    QuestionDialog dialog(installer, 56, IDCANCEL, IDOK);
    return dialog.RunModal(instance, IDD_CANCEL_CONFIRM, owner) == IDCANCEL;
}

bool RunRestartDialog(HINSTANCE instance, const InstallerContext& installer, HWND owner) {
    QuestionDialog dialog(installer, 44, IDOK, IDCANCEL);
    return dialog.RunModal(instance, IDD_RESTART, owner) == IDOK;
}

bool WindowsShutdown::EnableShutdownPrivilege() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return false;
    win32::KernelHandle token(raw);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        return false;
    // AdjustTokenPrivileges succeeds even when it assigned nothing; the last error tells.
    if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr))
        return false;
    return GetLastError() == ERROR_SUCCESS;
}

bool WindowsShutdown::RequestExit(unsigned flags) {
    return ExitWindowsEx(flags, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                    SHTDN_REASON_FLAG_PLANNED) != FALSE;
}

}  // namespace stepwise
