// Values kept from one snapshot to the next while they are still in use: what a process or
// program yields (its path, its icon) is read once while it stays in the snapshots, and
// dropped at the end of the first snapshot that does not ask for it, so the cache never
// outgrows what one snapshot shows.
#pragma once

#include <cstddef>
#include <map>
#include <utility>

namespace portlight {

template <typename Key, typename Value>
class SnapshotCache {
  public:
    // The value kept for `key`, made by `make()` when no earlier snapshot left one.
    template <typename Make>
    Value& Get(const Key& key, Make&& make) {
        auto it = entries_.find(key);
        if (it == entries_.end())
            it = entries_.emplace(key, Entry{make(), false}).first;
        it->second.used = true;
        return it->second.value;
    }

    // The end of a snapshot: drops every value it did not ask for; returns how many.
    size_t Sweep() {
        size_t dropped = 0;
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (!it->second.used) {
                it = entries_.erase(it);
                ++dropped;
            } else {
                it->second.used = false;
                ++it;
            }
        }
        return dropped;
    }

    size_t size() const { return entries_.size(); }

  private:
    struct Entry {
        Value value;
        bool used;
    };
    std::map<Key, Entry> entries_;
};

}  // namespace portlight
