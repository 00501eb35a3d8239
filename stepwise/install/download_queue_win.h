// The progress page's download queue: after the local copies, the queued entries are fetched
// one at a time on a download worker. The worker reports through posted messages (a report
// text it allocates and the receiver frees, finished, failed); a 3-second timer moves on to
// the next entry, which starts 2 seconds later; a failure asks whether to try again (Yes
// continues the file where the server allows it) or skip it. All controls change on the
// window's own thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "install/download_texts.h"
#include "install/http_download_win.h"
#include "install/installation.h"
#include "wizard/installation_sequence.h"

namespace stepwise {

// Messages the download worker posts; the report's lParam is a std::string* the receiver
// deletes.
constexpr UINT kDownloadProgressMessage = WM_USER + 34;
constexpr UINT kDownloadFinishedMessage = WM_USER + 35;
constexpr UINT kDownloadFailedMessage = WM_USER + 36;

// Timer 2 moves the queue on once the current entry is finished or skipped; timer 3 is the
// pause before the next entry starts.
constexpr UINT_PTR kDownloadWatchTimer = 2;
constexpr UINT kDownloadWatchMs = 3000;
constexpr UINT_PTR kNextDownloadTimer = 3;
constexpr UINT kNextDownloadDelayMs = 2000;

// The retry question.
constexpr char kRetryQuestion[] = "Can't download file.\nTry again ?";
constexpr char kRetryCaption[] = "Stepwise Error";

// The templates 140 to 150 from the program's string table (built-in ones where missing).
DownloadTexts LoadDownloadTexts(HINSTANCE instance);

class DownloadQueue {
  public:
    // `window` receives the worker's messages and the timers (its procedure hands them to
    // OnMessage); `page` shows the progress. Both outlive the queue.
    DownloadQueue(HWND window, InstallationProgress& page, DownloadTexts texts);
    // Stops a running download between blocks and waits for its worker.
    ~DownloadQueue();
    DownloadQueue(const DownloadQueue&) = delete;
    DownloadQueue& operator=(const DownloadQueue&) = delete;

    // Fetches the batch; `fetched` runs on the window's thread with each file written, as
    // it is renamed into place; `done` after the last entry is fetched or skipped.
    void Start(DownloadBatch batch,
               std::function<void(const std::string& path)> fetched,
               std::function<void()> done);
    // True when the message was the queue's.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The retry question: true for Yes. Tests answer it themselves.
    std::function<bool()> askRetry = [] {
        return MessageBoxA(GetActiveWindow(), kRetryQuestion, kRetryCaption,
                           MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    };
    // The two timers' intervals; tests shorten them.
    UINT watchMs = kDownloadWatchMs;
    UINT nextDelayMs = kNextDownloadDelayMs;
    std::string agent = "Stepwise";

  private:
    DownloadRequest HeadRequest() const;
    void StartHead();
    void Work(DownloadRequest request);
    void JoinWorker();
    void OnFailed();
    void OnWatchTimer();

    HWND window_;
    InstallationProgress& page_;
    DownloadTexts texts_;
    std::deque<DownloadEntry> queue_;
    int barPosition_ = 0;
    int barRange_ = 0;
    std::function<void(const std::string&)> fetched_;
    std::function<void()> done_;
    bool finished_ = false;  // the head entry is fetched or skipped

    // Written by the worker, read on the window's thread only after joining it.
    ResumePoint resume_;
    DownloadResult result_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace stepwise
