// PreparingDialog: the small window in the lower right corner that animates its progress bar
// while the payload cabinets are extracted into TempFolder, with the optional picture window
// and, in advanced mode, the companion program.
#pragma once

#include <windows.h>

#include <memory>

#include "common/win32/dialog_win.h"
#include "extract/preparing_timers.h"
#include "script/installer_context.h"

namespace stepwise {

// Runs the preparing window modally; IDOK once the payload is extracted and the animation
// has run. Cancel ends the program at once and never returns.
INT_PTR RunPreparingDialog(HINSTANCE instance, const InstallerContext& context);

class PreparingDialog : public win32::Dialog, private PreparingTimerHost {
  public:
    PreparingDialog(HINSTANCE instance, const InstallerContext& context, PreparingFlags& flags)
        : instance_(instance), context_(context), flags_(flags) {}

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    void OnTimer(UINT_PTR id) override;

    void StartTimer(int id, unsigned periodMs) override;
    void StopTimer(int id) override;
    void StartWorker(ExtractionStage stage) override;
    void SetProgress(int position) override;
    void Finish(bool advanced) override;

    void MoveToLowerRight();
    void WaitForSplash();
    // Runs TempFolder\StepwiseMM.exe "BEFORE ..." and waits for it, keeping the window live.
    void RunCompanionProgram();

    HINSTANCE instance_;
    const InstallerContext& context_;
    PreparingFlags& flags_;
    std::unique_ptr<PreparingTimers> timers_;
};

}  // namespace stepwise
