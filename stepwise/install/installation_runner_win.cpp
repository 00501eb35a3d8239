#include "install/installation_runner_win.h"

#include <shlobj.h>

#include "common/win32/com_win.h"
#include "common/win32/window_win.h"
#include "install/install_system_win.h"
#include "wizard/wizard_state.h"

namespace stepwise {

namespace {

constexpr char kRelayClass[] = "StepwiseInstallationRelay";
constexpr std::size_t kListedFailures = 20;  // keeps the message box on the screen

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE))
        return "";
    return path;
}

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

}  // namespace

std::string FailureMessage(const std::vector<std::string>& failures) {
    std::string text = "The following items could not be installed:\r\n\r\n";
    for (std::size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
        text += failures[i] + "\r\n";
    if (failures.size() > kListedFailures)
        text += "... and " + std::to_string(failures.size() - kListedFailures) + " more\r\n";
    return text;
}

// The worker's side of the page: the latest values go into the snapshot, and one posted
// message at a time asks the user-interface thread to show them.
class InstallationRunner::WorkerProgress : public InstallationProgress {
  public:
    explicit WorkerProgress(InstallationRunner& runner) : runner_(runner) {}
    void SetStatus(const std::string& text) override {
        Update([&](ProgressSnapshot& s) {
            s.status = text;
            s.statusSet = true;
        });
    }
    void SetCurrentFile(const std::string& text) override {
        Update([&](ProgressSnapshot& s) {
            s.currentFile = text;
            s.fileSet = true;
        });
    }
    void SetBar(int position, int range) override {
        Update([&](ProgressSnapshot& s) {
            s.position = position;
            s.range = range;
            s.barSet = true;
        });
    }

  private:
    template <typename Change>
    void Update(Change change) {
        bool post = false;
        {
            std::lock_guard<std::mutex> lock(runner_.mutex_);
            change(runner_.snapshot_);
            post = !runner_.progressPosted_;
            runner_.progressPosted_ = true;
        }
        if (post)
            PostMessageA(runner_.relay_, kProgressChangedMessage, 0, 0);
    }

    InstallationRunner& runner_;
};

InstallationRunner::InstallationRunner(const InstallerContext& installer) : installer_(installer) {}

InstallationRunner::~InstallationRunner() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
    downloads_.reset();
    if (relay_)
        DestroyWindow(relay_);
}

InstallationInput InstallationRunner::InputFrom(const WizardState& wizard) const {
    return InstallationInputFor(installer_, wizard);
}

InstallationInput InstallationInputFor(const InstallerContext& installer,
                                       const WizardState& wizard) {
    const FolderSet& f = installer.folders;
    InstallationInput in;
    in.script = installer.script;
    in.tokens[DestinationKind::ProgramFiles] = f.programFiles;
    in.tokens[DestinationKind::SharedDlls] = f.systemFolder;
    in.tokens[DestinationKind::WindowsDisk] = f.windowsDisk;
    in.tokens[DestinationKind::CommonFiles] = f.commonFiles;
    in.tokens[DestinationKind::WindowsDirectory] = f.windowsFolder;
    in.tokens[DestinationKind::Favorites] = f.favorites;
    in.tokens[DestinationKind::Documents] = f.commonDocuments;
    in.tokens[DestinationKind::MyPictures] = f.myPictures;
    in.tokens[DestinationKind::MyMusic] = f.myMusic;
    in.tokens[DestinationKind::SendTo] = f.sendTo;
    in.tokens[DestinationKind::Fonts] = f.fonts;
    in.tokens.installFolder = installer.installFolder;
    in.tokens.defaultInstallFolder = installer.defaultInstallFolder;
    in.shortcuts.programs = WithoutTrailingBackslash(ShellFolder(CSIDL_PROGRAMS));
    in.shortcuts.startMenu = WithoutTrailingBackslash(ShellFolder(CSIDL_STARTMENU));
    in.shortcuts.desktop = WithoutTrailingBackslash(ShellFolder(CSIDL_DESKTOPDIRECTORY));
    in.shortcuts.startup = WithoutTrailingBackslash(ShellFolder(CSIDL_STARTUP));
    in.shortcuts.appData = WithoutTrailingBackslash(ShellFolder(CSIDL_APPDATA));
    in.shortcuts.favorites = WithoutTrailingBackslash(f.favorites);
    in.tempFolder = f.tempFolder;
    in.systemFolder = f.systemFolder;
    in.dataTagPath = installer.dataTagPath;
    in.previewMode = installer.previewMode;
    in.setupType = wizard.setupType.choice;
    in.customSelection = wizard.customSelection;
    in.userName = wizard.userName;
    in.company = wizard.company;
    return in;
}

void InstallationRunner::Begin(InstallationProgress& progress, WizardState& wizard) {
    progress_ = &progress;
    state_ = &wizard.installationState;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = win32::WindowProc<InstallationRunner, &InstallationRunner::OnMessage>;
    wc.hInstance = instance;
    wc.lpszClassName = kRelayClass;
    RegisterClassA(&wc);  // a second registration fails harmlessly
    relay_ =
        CreateWindowExA(0, kRelayClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    if (!relay_) {
        *state_ = kInstallEnded;  // nothing could report; let the complete page come
        return;
    }
    downloads_ = std::make_unique<DownloadQueue>(relay_, progress, LoadDownloadTexts(instance));
    worker_ = std::thread([this, input = InputFrom(wizard)]() mutable { Work(std::move(input)); });
}

void InstallationRunner::Hold(bool held) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        held_ = held;
    }
    changed_.notify_all();
}

bool InstallationRunner::ShouldStop() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !held_ || stop_; });
    return stop_;
}

void InstallationRunner::Work(InstallationInput input) {
    win32::ComApartment com;
    if (!com.initialised())
        PostMessageA(relay_, kComFailedMessage, 0, 0);
    WindowsInstallSystem system;
    WorkerProgress progress(*this);
    Installation installation(std::move(input), system, progress, [this] { return ShouldStop(); });
    installation.SetDownloadFetcher(
        [this](const DownloadBatch& batch) { return FetchOnPage(batch); });
    bool ended = installation.Run();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_ = installation.failures();
    }
    if (ended)
        PostMessageA(relay_, kInstallationEndedMessage, 0, 0);
}

// On the worker: hands the batch to the page's queue and waits until it is fetched (or the
// installation is stopped).
std::vector<std::string> InstallationRunner::FetchOnPage(const DownloadBatch& batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    downloadBatch_ = batch;
    downloadsDone_ = false;
    downloaded_.clear();
    if (!PostMessageA(relay_, kDownloadsQueuedMessage, 0, 0))
        return {};
    changed_.wait(lock, [this] { return downloadsDone_ || stop_; });
    return downloaded_;
}

void InstallationRunner::StartDownloads() {
    ApplyProgress();  // the copy's last values first, so none lands over the download display
    DownloadBatch batch;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        batch = downloadBatch_;
    }
    // Each file is handed over as it lands, so an installation stopped mid-queue still logs
    // (and its uninstaller removes) what was fetched before.
    downloads_->Start(
        std::move(batch),
        [this](const std::string& path) {
            std::lock_guard<std::mutex> lock(mutex_);
            downloaded_.push_back(path);
        },
        [this] {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                downloadsDone_ = true;
            }
            changed_.notify_all();
        });
}

void InstallationRunner::ApplyProgress() {
    ProgressSnapshot s;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        s = snapshot_;
        snapshot_.statusSet = snapshot_.fileSet = snapshot_.barSet = false;
        progressPosted_ = false;
    }
    if (s.statusSet)
        progress_->SetStatus(s.status);
    if (s.fileSet)
        progress_->SetCurrentFile(s.currentFile);
    if (s.barSet)
        progress_->SetBar(s.position, s.range);
}

void InstallationRunner::ReportEnd() {
    if (worker_.joinable())
        worker_.join();
    ApplyProgress();
    std::vector<std::string> failures;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures = failures_;
    }
    if (!failures.empty()) {
        std::string caption = installer_.AppName() + " - Stepwise";
        MessageBoxA(GetActiveWindow(), FailureMessage(failures).c_str(), caption.c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
    }
    *state_ = kInstallEnded;
}

LRESULT InstallationRunner::OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (downloads_ && downloads_->OnMessage(message, wp, lp))
        return 0;
    switch (message) {
        case kDownloadsQueuedMessage:
            StartDownloads();
            return 0;
        case kProgressChangedMessage:
            ApplyProgress();
            return 0;
        case kInstallationEndedMessage:
            ReportEnd();
            return 0;
        case kComFailedMessage:
            MessageBoxA(GetActiveWindow(), "ERROR CO-INITIALIZE", "", MB_OK);
            return 0;
        default:
            return DefWindowProcA(window, message, wp, lp);
    }
}

}  // namespace stepwise
