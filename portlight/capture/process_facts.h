// What a process yields that does not change while it lives: its owner (category and path),
// its executable's description (version text) and, on the strip, its icon. Each is read once
// per process life and kept across snapshots, keyed by the process id and the process's
// creation time, so a process that ended and a new one under the same id never share an
// entry. An entry is dropped at the end of the first snapshot that does not look it up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "capture/icon_grouping.h"
#include "capture/process_lookup.h"
#include "capture/snapshot_cache.h"

namespace portlight {

// One process life: its id and its creation time (100-ns units; 0 when it cannot be read).
struct ProcessKey {
    uint32_t pid = 0;
    uint64_t created = 0;
    bool operator<(const ProcessKey& o) const {
        return std::tie(pid, created) < std::tie(o.pid, o.created);
    }
};

class ProcessFacts {
  public:
    // `creationTime` gives a process's creation time, or 0 when it cannot be read (what the
    // process yields is then read afresh every time).
    explicit ProcessFacts(std::function<uint64_t(uint32_t)> creationTime)
        : creationTime_(std::move(creationTime)) {}

    // The process life `pid` names now; its creation time is asked once per snapshot. Others
    // that keep what a process yields (the strip's icons) key their entries by it.
    ProcessKey KeyOf(uint32_t pid);

    // The owner rules of `pid` (IdentifyOwner), through `lookup` only for a process not
    // identified in an earlier snapshot.
    ProcessOwner Owner(uint32_t pid, ProcessLookup& lookup);

    // The file description of the executable at `path`, run by process `pid`.
    std::string Description(uint32_t pid, const std::string& path, FileDescriptionSource& source);

    // The end of a snapshot: what it did not look up is forgotten, and creation times are
    // asked again in the next one.
    void EndSnapshot();

    size_t rememberedOwners() const { return owners_.size(); }
    size_t rememberedDescriptions() const { return descriptions_.size(); }

  private:
    std::function<uint64_t(uint32_t)> creationTime_;
    std::unordered_map<uint32_t, uint64_t> createdThisSnapshot_;
    SnapshotCache<ProcessKey, ProcessOwner> owners_;
    SnapshotCache<std::pair<ProcessKey, std::string>, std::string> descriptions_;
};

// The grouping's description source with the descriptions kept in `facts`.
class RememberingDescriptionSource : public FileDescriptionSource {
  public:
    RememberingDescriptionSource(ProcessFacts& facts, FileDescriptionSource& inner)
        : facts_(facts), inner_(inner) {}
    std::string FileDescription(const std::string& path) override {
        return inner_.FileDescription(path);
    }
    std::string FileDescriptionOf(uint32_t pid, const std::string& path) override {
        return facts_.Description(pid, path, inner_);
    }

  private:
    ProcessFacts& facts_;
    FileDescriptionSource& inner_;
};

}  // namespace portlight
