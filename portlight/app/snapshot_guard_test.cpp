#include "app/snapshot_guard.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

namespace portlight {
namespace {

// The guards are set while the object lives and cleared once when it ends, also when it
// ends by an exception or after being handed on.
TEST(SnapshotGuard, RestoresOnEveryWayOut) {
    bool running = false;
    int ends = 0;
    auto setRunning = [&](bool on) {
        running = on;
        ends += on ? 0 : 1;
    };
    try {
        SnapshotGuard guard(setRunning);
        EXPECT_TRUE(running);
        throw std::runtime_error("capture failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(running);
    EXPECT_EQ(ends, 1);

    std::optional<SnapshotGuard> held;
    {
        SnapshotGuard guard(setRunning);
        held.emplace(std::move(guard));
    }
    EXPECT_TRUE(running) << "the moved-from guard ends nothing";
    held.reset();
    EXPECT_FALSE(running);
    EXPECT_EQ(ends, 2);
}

}  // namespace
}  // namespace portlight
