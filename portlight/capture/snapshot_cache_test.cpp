#include "capture/snapshot_cache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace portlight {
namespace {

// A value is made once while it is used at every snapshot, dropped after the first
// snapshot that does not use it, and made afresh when it comes back.
TEST(SnapshotCache, KeepsWhatEachSnapshotUses) {
    SnapshotCache<std::string, std::unique_ptr<int>> cache;
    int made = 0;
    auto make = [&] { return std::make_unique<int>(++made); };

    EXPECT_EQ(*cache.Get("a.exe", make), 1);
    EXPECT_EQ(*cache.Get("b.exe", make), 2);
    EXPECT_EQ(*cache.Get("a.exe", make), 1) << "twice in one snapshot: made once";
    EXPECT_EQ(cache.Sweep(), 0u);

    EXPECT_EQ(*cache.Get("a.exe", make), 1) << "kept across snapshots";
    EXPECT_EQ(cache.Sweep(), 1u) << "b.exe was not shown";
    EXPECT_EQ(cache.size(), 1u);

    EXPECT_EQ(*cache.Get("b.exe", make), 3) << "back after a gap: read again";
    EXPECT_EQ(cache.Sweep(), 1u);
    EXPECT_EQ(cache.Sweep(), 1u);
    EXPECT_EQ(cache.size(), 0u) << "an empty strip keeps nothing";
}

}  // namespace
}  // namespace portlight
