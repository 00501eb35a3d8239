// The snapshot's two guards, cmdNetstats disabled and SnapshotBusy set, held by one object
// for as long as a snapshot runs. Ending the object restores both, whichever way the
// snapshot leaves: finished, thrown, its worker not started or its result lost. Without
// that, one failure would leave the bar without snapshots and its exit deferred for ever.
#pragma once

#include <functional>
#include <utility>

namespace portlight {

class SnapshotGuard {
  public:
    // Called with true when the guard is taken and with false when it ends.
    using SetRunning = std::function<void(bool running)>;

    explicit SnapshotGuard(SetRunning setRunning) : setRunning_(std::move(setRunning)) {
        setRunning_(true);
    }
    ~SnapshotGuard() {
        if (setRunning_)
            setRunning_(false);
    }
    SnapshotGuard(SnapshotGuard&& other) noexcept
        : setRunning_(std::exchange(other.setRunning_, nullptr)) {}
    SnapshotGuard& operator=(SnapshotGuard&&) = delete;
    SnapshotGuard(const SnapshotGuard&) = delete;
    SnapshotGuard& operator=(const SnapshotGuard&) = delete;

  private:
    SetRunning setRunning_;
};

}  // namespace portlight
