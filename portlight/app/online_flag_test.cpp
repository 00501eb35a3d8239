#include "app/online_flag.h"

#include <gtest/gtest.h>

namespace portlight {
namespace {

struct FakeConnection {
    bool connected = true;
    int queries = 0;
    bool operator()() {
        ++queries;
        return connected;
    }
};

// Idle ticks ask the system nothing; a reader after a tick gets the state of that moment,
// and two readers between the same ticks share one answer.
TEST(OnlineFlag, AskedOnlyWhenReadAfterATick) {
    FakeConnection system;
    OnlineFlag flag([&] { return system(); });

    EXPECT_FALSE(flag.IsOnline()) << "false until the first tick, as the field starts";
    EXPECT_EQ(system.queries, 0);

    for (int tick = 0; tick < 600; ++tick)
        flag.Refresh();
    EXPECT_EQ(system.queries, 0);
    EXPECT_TRUE(flag.IsOnline());
    EXPECT_TRUE(flag.IsOnline());
    EXPECT_EQ(system.queries, 1);

    // The connection drops: readers still see the last tick's answer until the next tick.
    system.connected = false;
    EXPECT_TRUE(flag.IsOnline());
    flag.Refresh();
    EXPECT_FALSE(flag.IsOnline());
    EXPECT_EQ(system.queries, 2);

    system.connected = true;
    flag.Refresh();
    EXPECT_TRUE(flag.IsOnline());
}

}  // namespace
}  // namespace portlight
