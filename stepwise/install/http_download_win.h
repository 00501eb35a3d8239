// One download over WinINet, with no user interface: the file grows under a temporary name
// beside its destination and replaces the real name only when it arrived whole, so a failed
// or skipped download leaves nothing behind and never harms a file that was there. A retry
// of a dropped download asks for the rest when the server allows it. The progress page runs
// it on its download worker; an unattended installation can call it directly.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "install/download_plan.h"

namespace stepwise {

struct DownloadRequest {
    std::string address;
    std::string folder;  // destination folder, with or without trailing backslash
    std::string agent = "Stepwise";
    // Connect, send and receive time-outs: a dead server ends the attempt, never hangs it.
    unsigned long timeoutMilliseconds = 30000;
};

// Called after each block written, on the calling thread: bytes of the file so far and the
// whole length when known.
using DownloadProgressFn =
    std::function<void(std::uint64_t received, std::optional<std::uint64_t> total)>;

struct DownloadResult {
    bool ok = false;
    std::string path;   // the file written (also set on failure: the name it would have had)
    std::string error;  // why it failed
};

// One attempt at `request`. `resume` carries what a retry of the same entry needs: pass the
// same object to the next attempt; it is cleared on success. `stop`, when set, ends the
// attempt between blocks (it then fails and removes the temporary file).
DownloadResult DownloadFile(const DownloadRequest& request,
                            ResumePoint& resume,
                            const DownloadProgressFn& progress,
                            const std::atomic<bool>* stop = nullptr);

// Removes what a failed download of `request` left for a retry (the entry is skipped).
void DiscardPartialDownload(const DownloadRequest& request, ResumePoint& resume);

}  // namespace stepwise
