// Runs one netstat capture at a time on a worker thread, so the bar stays live while netstat
// runs, and hands the result back to the window's thread by a posted message. The
// snapshot's guard travels with the capture and always ends on the window's thread: when
// the result is taken (Finish), at once when the worker cannot start, or at the next
// ReapUndelivered when the worker ended without delivering (its capture threw, or the
// result could not be posted).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/snapshot_guard.h"
#include "capture/capture_result.h"

namespace portlight {

class CaptureWorker {
  public:
    using Capture = std::function<CaptureResult(const std::string& commandLine)>;
    // Sends the result on its way to the window; true when it went (the receiver then owns
    // it), false when it could not be posted.
    using Post = std::function<bool(CaptureResult* result)>;
    using StartThread = std::function<std::thread(std::function<void()> body)>;

    CaptureWorker(Capture capture, Post post);
    ~CaptureWorker();
    CaptureWorker(const CaptureWorker&) = delete;
    CaptureWorker& operator=(const CaptureWorker&) = delete;

    // How the worker thread starts; tests make it fail.
    StartThread startThread = [](std::function<void()> body) {
        return std::thread(std::move(body));
    };

    // Starts a capture holding `guard`; false, with the guard ended, when no worker could
    // start.
    bool Start(const std::string& commandLine, SnapshotGuard guard);
    // The posted result has arrived: joins the worker and hands over the guard, to be held
    // until the snapshot's last step.
    std::optional<SnapshotGuard> Finish();
    // Ends the guard of a worker that ended without delivering; true when it did. Called
    // from the one-second timer.
    bool ReapUndelivered();

  private:
    Capture capture_;
    Post post_;
    std::thread thread_;
    std::optional<SnapshotGuard> guard_;
    std::atomic<bool> undelivered_{false};
};

}  // namespace portlight
