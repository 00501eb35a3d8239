#include "extract/preparing_dialog_win.h"

#include <commctrl.h>

#include <string>

#include "common/win32/handles_win.h"
#include "extract/cabinet_paths.h"
#include "extract/extraction_worker_win.h"
#include "extract/splash_dialog_win.h"
#include "res/resource.h"
#include "script/folder_set_win.h"

namespace stepwise {

namespace {

// Keeps the window clear of a taskbar at the lower screen edge.
constexpr int kBottomMargin = 40;
// The picture window clears the handshake on its first 500 ms tick; one that never ticks
// must not hang the installer.
constexpr DWORD kSplashWaitLimitMs = 10000;

// Program-wide: worker threads may outlive the window until the process ends.
PreparingFlags& SharedFlags() {
    static PreparingFlags flags;
    return flags;
}

}  // namespace

INT_PTR RunPreparingDialog(HINSTANCE instance, const InstallerContext& context) {
    PreparingDialog dialog(instance, context, SharedFlags());
    return dialog.RunModal(instance, IDD_PREPARING, nullptr);
}

BOOL PreparingDialog::OnInitDialog() {
    if (context_.languagePresent) {
        SetItemText(IDC_PREPARING_MESSAGE, context_.Text(50));
        SetItemText(IDCANCEL, context_.Text(3));
    }
    MoveToLowerRight();

    std::string picture = context_.Read("MAINWINDOW", "2", kFlagBuffer);
    bool advanced = context_.Read("MAINWINDOW", "ADVANCED", kFlagBuffer) == "1";
    PreparingTimerHost& host = *this;
    timers_ = std::make_unique<PreparingTimers>(flags_, host, advanced);
    timers_->Reset();
    if (!advanced && !picture.empty())
        StartSplashThread(instance_, context_.folders.setupFolder, flags_.splashHandshake);

    HWND progress = Item(IDC_PREPARING_PROGRESS);
    SendMessageA(progress, PBM_SETPOS, 0, 0);
    SendMessageA(progress, PBM_SETRANGE32, 0, kProgressRange);
    SendMessageA(progress, PBM_SETSTEP, kProgressStep, 0);

    WaitForSplash();
    timers_->Begin(FileExists(FirstStageCabinetPath(context_.folders.setupFolder)));
    return TRUE;
}

void PreparingDialog::MoveToLowerRight() {
    RECT r;
    GetWindowRect(hwnd(), &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    SetWindowPos(hwnd(), nullptr, GetSystemMetrics(SM_CXSCREEN) - width,
                 GetSystemMetrics(SM_CYSCREEN) - height - kBottomMargin, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PreparingDialog::WaitForSplash() {
    HCURSOR old = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    DWORD start = GetTickCount();
    while (flags_.splashHandshake != kSplashIdle && GetTickCount() - start < kSplashWaitLimitMs)
        Sleep(10);
    SetCursor(old);
}

void PreparingDialog::OnCommand(int id, int notifyCode, HWND control) {
    if (id == IDCANCEL) {
        // Ends the program at once: a worker may sit in a message box or a decoder call
        // that would never return to a cooperative shutdown.
        TerminateProcess(GetCurrentProcess(), 0);
    }
}

void PreparingDialog::OnTimer(UINT_PTR id) {
    timers_->OnTimer(static_cast<int>(id));
}

void PreparingDialog::StartTimer(int id, unsigned periodMs) {
    SetTimer(hwnd(), id, periodMs, nullptr);
}

void PreparingDialog::StopTimer(int id) {
    KillTimer(hwnd(), id);
}

void PreparingDialog::StartWorker(ExtractionStage stage) {
    StartExtractionWorker(stage, context_, flags_);
}

void PreparingDialog::SetProgress(int position) {
    SendMessageA(Item(IDC_PREPARING_PROGRESS), PBM_SETPOS, position, 0);
}

void PreparingDialog::Finish(bool advanced) {
    if (advanced && context_.Read("SPLASH", "1", kFlagBuffer) == "1")
        RunCompanionProgram();
    // In advanced mode without the companion program there is nothing left to wait for;
    // closing lets the installation go on instead of leaving only Cancel.
    EndDialog(IDOK);
}

void PreparingDialog::RunCompanionProgram() {
    std::string program = context_.folders.tempFolder + "StepwiseMM.exe";
    std::string commandLine = "BEFORE \"" + context_.dataTagPath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &info))
        return;
    win32::KernelHandle process(info.hProcess);
    win32::KernelHandle thread(info.hThread);
    // Keep the window's messages flowing while waiting, so Cancel still works.
    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(hwnd(), &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
}

}  // namespace stepwise
