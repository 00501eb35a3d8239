#include "app/silent_install_win.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include "app/installer_app_win.h"
#include "common/win32/com_win.h"
#include "common/win32/window_win.h"
#include "extract/cabinet_paths.h"
#include "extract/extraction_worker_win.h"
#include "install/http_download_win.h"
#include "install/install_system_win.h"
#include "install/installation_runner_win.h"
#include "script/machine_checks.h"
#include "script/machine_win.h"
#include "silent/action_log.h"
#include "wizard/finish_actions.h"

namespace stepwise {

namespace {

constexpr char kStopWindowClass[] = "StepwiseUnattendedSetup";
constexpr UINT kInstallationDoneMessage = WM_APP + 61;

std::string TempPath() {
    char temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof temp, temp);
    return std::string(temp, n < sizeof temp ? n : 0);
}

// The log file: one line per entry, each stamped with the local time and flushed at once,
// so a run that is killed still leaves what it did.
class LogFile {
  public:
    explicit LogFile(const std::string& path) : file_(path, std::ios::out | std::ios::trunc) {}
    bool open() const { return file_.is_open(); }
    void Write(const std::string& line) {
        SYSTEMTIME now = {};
        GetLocalTime(&now);
        char stamp[32] = {};
        std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                      now.wDay, now.wHour, now.wMinute, now.wSecond);
        file_ << stamp << line << "\r\n";
        file_.flush();
    }

  private:
    std::ofstream file_;
};

// Downloads over WinINet with no one to ask: a failed attempt is tried again twice (a dropped
// transfer resumes where the server allows), then the entry is given up and its temporary
// file removed.
class HttpDownloads : public UnattendedDownloads {
  public:
    explicit HttpDownloads(const std::atomic<bool>& stop) : stop_(stop) {}

    bool Fetch(const DownloadEntry& entry, std::string* path, std::string* error) override {
        DownloadRequest request;
        request.address = entry.address;
        request.folder = entry.folder;
        ResumePoint resume;
        DownloadResult result;
        for (int attempt = 0; attempt < kAttempts && !stop_.load(); ++attempt) {
            result = DownloadFile(
                request, resume, [](std::uint64_t, std::optional<std::uint64_t>) {}, &stop_);
            if (result.ok) {
                *path = result.path;
                return true;
            }
        }
        DiscardPartialDownload(request, resume);
        *error = result.error.empty() ? "stopped" : result.error;
        return false;
    }

  private:
    static constexpr int kAttempts = 3;
    const std::atomic<bool>& stop_;
};

// The installation on a worker thread, while this thread answers the hidden window: a close
// request or the end of the session asks the installation to stop between steps.
class UnattendedInstallation {
  public:
    UnattendedInstallation(const InstallerContext& context, ActionLog& log)
        : context_(context), log_(log) {}

    // Returns whether the installation ran to its end; `failures` counts items not installed.
    bool Run(int* failures) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.lpfnWndProc =
            win32::WindowProc<UnattendedInstallation, &UnattendedInstallation::OnMessage>;
        wc.hInstance = instance;
        wc.lpszClassName = kStopWindowClass;
        RegisterClassA(&wc);
        // A hidden top-level window (not message-only): only those hear WM_CLOSE from
        // taskkill and the session's end.
        window_ = CreateWindowExA(0, kStopWindowClass, "Stepwise unattended installation",
                                  WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance, this);
        if (!window_) {
            log_.Note("no stop window: the installation cannot be cancelled");
            Work();
        } else {
            std::thread worker([this] { Work(); });
            MSG message;
            while (GetMessageA(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            worker.join();
            DestroyWindow(window_);
        }
        *failures = failures_;
        return ended_;
    }

    LRESULT OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
        switch (message) {
            case WM_CLOSE:
                RequestStop("asked to close");
                return 0;
            case WM_QUERYENDSESSION:
                RequestStop("the session is ending");
                return TRUE;
            case kInstallationDoneMessage:
                PostQuitMessage(0);
                return 0;
            default:
                return DefWindowProcA(window, message, wp, lp);
        }
    }

  private:
    void RequestStop(const char* why) {
        if (!stop_.exchange(true))
            log_.Note(std::string("stop requested: ") + why);
    }

    void Work() {
        win32::ComApartment com;
        if (!com.initialised())
            log_.Note("COM could not be initialised: shortcuts will fail");
        WizardState wizard;  // the defaults: Typical, no user information
        WindowsInstallSystem system;
        LoggingInstallSystem logging(system, log_);
        LoggingProgress progress(log_);
        Installation installation(InstallationInputFor(context_, wizard), logging, progress,
                                  [this] { return stop_.load(); });
        HttpDownloads downloads(stop_);
        int downloadFailures = 0;
        installation.SetDownloadFetcher(UnattendedFetcher(downloads, log_, &downloadFailures));
        ended_ = installation.Run();
        failures_ = downloadFailures + RecordInstallationEnd(installation, log_);
        if (window_)
            PostMessageA(window_, kInstallationDoneMessage, 0, 0);
    }

    const InstallerContext& context_;
    ActionLog& log_;
    HWND window_ = nullptr;
    std::atomic<bool> stop_{false};
    bool ended_ = false;
    int failures_ = 0;
};

bool ExtractPayload(const InstallerContext& context, ActionLog& log) {
    ExtractionJob job{context.folders.tempFolder, context.folders.setupFolder};
    job.promptNextDisk = [&log](const std::string& missing) {
        log.Failure("the next cabinet of the payload is missing: \"" + missing + "\"");
        return false;  // no disk to insert: give up
    };
    job.reportFailure = [&log](const std::string& message) {
        log.Failure("payload extraction: " + message);
    };
    std::string multi = FirstStageCabinetPath(context.folders.setupFolder);
    std::uint32_t firstStageDone = 0;
    if (GetFileAttributesA(multi.c_str()) != INVALID_FILE_ATTRIBUTES) {
        log.Note("extract \"" + multi + "\" into \"" + job.extractionFolder + "\"");
        if (!ExtractCabinet(multi, job))
            return false;
        firstStageDone = 255;
    }
    std::string payload = CabinetPathForStage(ExtractionStage::Payload, context.folders.setupFolder,
                                              context.file1CabPath, TempPath(), firstStageDone);
    log.Note("extract \"" + payload + "\" into \"" + job.extractionFolder + "\"");
    return ExtractCabinet(payload, job);
}

int Finish(ActionLog& log, const SetupOutcome& outcome) {
    int code = SetupExitCode(outcome);
    const char* meaning = code == kSetupSucceeded      ? "installed"
                          : code == kSetupCancelled    ? "cancelled"
                          : code == kSetupFailed       ? "failed: some items were not installed"
                          : code == kSetupCannotRun    ? "could not run: nothing installed"
                          : code == kSetupNeedsRestart ? "installed; restart needed"
                                                       : "bad command line";
    log.Note("exit code " + std::to_string(code) + " (" + meaning + ")");
    return code;
}

}  // namespace

void LogUsageError(const SetupCommand& command) {
    LogFile file(DefaultSetupLogPath(TempPath()));
    file.Write(std::string("FAILED: bad command line \"") + GetCommandLineA() +
               "\": " + command.error);
    file.Write("exit code " + std::to_string(kSetupUsage) + " (bad command line)");
}

int RunSilentInstall(HINSTANCE instance, const SetupCommand& command) {
    std::string logPath =
        command.logPath.empty() ? DefaultSetupLogPath(TempPath()) : command.logPath;
    LogFile file(logPath);
    if (!file.open())
        return kSetupCannotRun;  // the record the administrator asked for cannot be kept
    ActionLog log([&file](const std::string& line) { file.Write(line); });
    log.Note(std::string("Stepwise unattended installation: ") + GetCommandLineA());

    SetupOutcome outcome;
    InstallerApp app(instance);
    if (!app.ResolveFoldersAndScript([&log](const std::string& text) { log.Failure(text); })) {
        outcome.couldNotRun = true;
        return Finish(log, outcome);
    }
    InstallerContext& context = app.context();
    if (!command.installFolder.empty())
        context.installFolder = command.installFolder;
    log.Note("setup folder \"" + context.folders.setupFolder + "\", script \"" +
             context.dataTagPath + "\"");
    log.Note("product \"" + context.AppName() + "\", installation folder \"" +
             context.installFolder + "\"");

    if (!ExtractPayload(context, log)) {
        outcome.couldNotRun = true;
        return Finish(log, outcome);
    }
    CheckResult platform = CheckPlatform(context.Read("SYSTEM", "7"), CurrentOsClass());
    if (!platform.passed) {
        log.Failure("platform requirement: " + platform.message);
        outcome.couldNotRun = true;
        return Finish(log, outcome);
    }
    RunMachineWarnings(context, [&log](const std::string& text) { log.Note("warning: " + text); });

    UnattendedInstallation installation(context, log);
    bool ended = installation.Run(&outcome.failures);
    outcome.cancelled = !ended;
    if (!ended) {
        log.Note("cancelled before the end; what was installed is in the install.log");
        return Finish(log, outcome);
    }
    FinishPlan plan = PlanFinish(*context.script, context.installFolder, false, false);
    for (const std::string& path : plan.opens)
        log.Note("not opening \"" + path + "\" (unattended)");
    if (plan.askRestart) {
        log.Note("Windows must restart to complete the installation; not restarting it");
        outcome.restartNeeded = true;
    }
    return Finish(log, outcome);
}

}  // namespace stepwise
