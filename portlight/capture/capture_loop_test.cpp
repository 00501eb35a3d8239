#include "capture/capture_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace portlight {
namespace {

// A child on a clock that moves one millisecond whenever it is read: it writes `rate`
// bytes per millisecond, `total` in all (endless when 0), and goes on after being ended
// when a grandchild holds its pipe.
struct FakeChild : CaptureChild {
    size_t rate = 256;
    size_t total = 0;
    bool grandchildWritesOn = false;
    uint32_t now = 1000;
    size_t written = 0;
    size_t read = 0;
    int ends = 0;

    bool Writing() const {
        return (ends == 0 || grandchildWritesOn) && (total == 0 || written < total);
    }
    std::optional<size_t> Available() override {
        ++now;
        // A loop that never stops by itself fails the test instead of hanging it: after
        // 100 fake seconds the pipe breaks.
        if (now - 1000 > 100000)
            return std::nullopt;
        if (Writing())
            written += total == 0 ? rate : std::min(rate, total - written);
        size_t waiting = written - read;
        if (waiting == 0 && !Writing())
            return std::nullopt;
        return waiting;
    }
    std::optional<size_t> Read(char* buffer, size_t size) override {
        size_t n = std::min(size, written - read);
        for (size_t i = 0; i < n; ++i)
            buffer[i] = static_cast<char>('a' + (read + i) % 26);
        read += n;
        return n;
    }
    void End() override { ++ends; }
    void Wait() override { now += 10; }
    uint32_t Milliseconds() override { return now; }
};

// A child that floods without end is ended once its output reaches the cap, and what came
// is kept.
TEST(DrainCapture, FloodEndsAtTheCap) {
    FakeChild child;
    CaptureResult result;
    DrainCapture(child, 60000, 100000, result);
    EXPECT_TRUE(result.truncated);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.output.size(), 100000u);
    EXPECT_EQ(result.output.substr(0, 3), "abc");
    EXPECT_EQ(child.ends, 1);
}

// With no cap in reach, a pipe that is never empty still ends at the time limit; a
// grandchild that writes on is read for the hard stop's span and then left.
TEST(DrainCapture, NeverEmptyPipeEndsAtTheLimit) {
    FakeChild child;
    child.grandchildWritesOn = true;
    CaptureResult result;
    uint32_t start = child.now;
    DrainCapture(child, 500, SIZE_MAX, result);
    EXPECT_TRUE(result.timedOut);
    EXPECT_FALSE(result.truncated);
    EXPECT_EQ(child.ends, 1);
    EXPECT_GE(child.now - start, 500u + kCaptureHardStopMs);
    EXPECT_LT(child.now - start, 500u + kCaptureHardStopMs + 50);
}

// A child that ends by itself is read to the end: everything it wrote, nothing ended.
TEST(DrainCapture, ReadsAWholeListing) {
    FakeChild child;
    child.total = 5000;
    child.rate = 700;
    CaptureResult result;
    DrainCapture(child, 60000, 100000, result);
    EXPECT_EQ(result.output.size(), 5000u);
    EXPECT_FALSE(result.truncated || result.timedOut);
    EXPECT_EQ(child.ends, 0);
}

}  // namespace
}  // namespace portlight
