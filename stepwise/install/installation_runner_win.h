// Runs the installation sequence on a worker thread beside the wizard. The worker reports
// through a message-only window on the user-interface thread, which shows the progress on
// the page, tells the user which items could not be installed, and then ends the
// installation state at 100. While the wizard asks whether to cancel, the worker waits
// between steps; a confirmed cancel stops it there.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "install/download_queue_win.h"
#include "install/installation.h"
#include "script/installer_context.h"
#include "wizard/installation_sequence.h"

namespace stepwise {

// Private messages of the relay window.
constexpr UINT kProgressChangedMessage = WM_APP + 41;
constexpr UINT kInstallationEndedMessage = WM_APP + 42;
constexpr UINT kComFailedMessage = WM_APP + 43;
constexpr UINT kDownloadsQueuedMessage = WM_APP + 44;

// The page's three outputs, as the worker last set them.
struct ProgressSnapshot {
    std::string status;
    std::string currentFile;
    int position = 0;
    int range = 0;
    bool statusSet = false;
    bool fileSet = false;
    bool barSet = false;
};

class InstallationRunner : public InstallationSequence {
  public:
    explicit InstallationRunner(const InstallerContext& installer);
    // Stops the worker at its next step and waits for it.
    ~InstallationRunner() override;
    InstallationRunner(const InstallationRunner&) = delete;
    InstallationRunner& operator=(const InstallationRunner&) = delete;

    void Begin(InstallationProgress& progress, WizardState& wizard) override;
    void Hold(bool held) override;

    LRESULT OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);

  private:
    class WorkerProgress;

    InstallationInput InputFrom(const WizardState& wizard) const;
    void Work(InstallationInput input);
    bool ShouldStop();
    std::vector<std::string> FetchOnPage(const DownloadBatch& batch);
    void StartDownloads();
    void ApplyProgress();
    void ReportEnd();

    const InstallerContext& installer_;
    InstallationProgress* progress_ = nullptr;
    std::atomic<int>* state_ = nullptr;
    HWND relay_ = nullptr;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool stop_ = false;
    ProgressSnapshot snapshot_;
    bool progressPosted_ = false;
    std::vector<std::string> failures_;
    // The downloads the worker waits for while the page fetches them.
    DownloadBatch downloadBatch_;
    std::vector<std::string> downloaded_;
    bool downloadsDone_ = false;
    std::unique_ptr<DownloadQueue> downloads_;
    std::thread worker_;
};

// What the installation reads from start-up and the wizard's choices.
InstallationInput InstallationInputFor(const InstallerContext& installer,
                                       const WizardState& wizard);

// The message that lists the items that could not be installed (at most a screenful).
std::string FailureMessage(const std::vector<std::string>& failures);

}  // namespace stepwise
