#include "app/capture_worker.h"

namespace portlight {

CaptureWorker::CaptureWorker(Capture capture, Post post)
    : capture_(std::move(capture)), post_(std::move(post)) {}

CaptureWorker::~CaptureWorker() {
    if (thread_.joinable())
        thread_.join();
}

bool CaptureWorker::Start(const std::string& commandLine, SnapshotGuard guard) {
    if (thread_.joinable())
        thread_.join();
    undelivered_ = false;
    try {
        thread_ = startThread([this, commandLine] {
            // Nothing may leave the worker: an exception here would end the program.
            try {
                auto result = std::make_unique<CaptureResult>(capture_(commandLine));
                if (post_(result.get())) {
                    result.release();  // the window owns it now
                    return;
                }
            } catch (...) {
            }
            undelivered_ = true;
        });
    } catch (...) {
        return false;  // `guard` ends here: the snapshot is over before it began
    }
    guard_.emplace(std::move(guard));
    return true;
}

std::optional<SnapshotGuard> CaptureWorker::Finish() {
    if (thread_.joinable())
        thread_.join();
    std::optional<SnapshotGuard> guard;
    if (guard_) {
        guard.emplace(std::move(*guard_));
        guard_.reset();
    }
    return guard;
}

bool CaptureWorker::ReapUndelivered() {
    if (!undelivered_.exchange(false))
        return false;
    if (thread_.joinable())
        thread_.join();
    guard_.reset();
    return true;
}

}  // namespace portlight
