// What a process id yields that does not change while the process lives (its main-module
// path), kept across snapshots keyed by the id and the process's creation time: a process
// that ended and a new one under the same id never share an entry. An entry is dropped at
// the end of the first snapshot that does not look the process up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "capture/process_lookup.h"
#include "capture/snapshot_cache.h"

namespace portlight {

class RememberingProcessSystem : public ProcessSystem {
  public:
    // `creationTime` gives a process's creation time, or 0 when it cannot be read (the path
    // is then read afresh every time).
    RememberingProcessSystem(ProcessSystem& inner, std::function<uint64_t(uint32_t)> creationTime)
        : inner_(inner), creationTime_(std::move(creationTime)) {}

    std::vector<uint32_t> EnumerateProcessIds() override { return inner_.EnumerateProcessIds(); }
    std::string ReadMainModulePath(uint32_t pid) override;
    std::vector<std::pair<uint32_t, std::string>> SnapshotProcessNames() override {
        return inner_.SnapshotProcessNames();
    }

    // The end of a snapshot: processes it did not look up are forgotten.
    void EndSnapshot() { paths_.Sweep(); }
    size_t remembered() const { return paths_.size(); }

  private:
    ProcessSystem& inner_;
    std::function<uint64_t(uint32_t)> creationTime_;
    SnapshotCache<std::pair<uint32_t, uint64_t>, std::string> paths_;
};

}  // namespace portlight
