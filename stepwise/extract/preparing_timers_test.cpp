#include "extract/preparing_timers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace stepwise {
namespace {

// A host with a fake clock: running timers fire at their periods as time advances, in time
// order, the way WM_TIMER would deliver them; workers are started in name only.
class FakeHost : public PreparingTimerHost {
  public:
    void StartTimer(int id, unsigned periodMs) override { timers[id] = {periodMs, now + periodMs}; }
    void StopTimer(int id) override { timers.erase(id); }
    void StartWorker(ExtractionStage stage) override { workers.push_back({stage, now}); }
    void SetProgress(int position) override { progress.push_back(position); }
    void Finish(bool advanced) override {
        finishedAt = now;
        finishedAdvanced = advanced;
    }

    // Advances the clock to `until`, delivering every tick due on the way.
    void RunUntil(PreparingTimers& machine, unsigned until) {
        for (;;) {
            int next = 0;
            unsigned due = until + 1;
            for (auto& [id, t] : timers)
                if (t.due < due)
                    next = id, due = t.due;
            if (next == 0)
                break;
            now = due;
            timers[next].due += timers[next].period;
            machine.OnTimer(next);
        }
        now = until;
    }

    struct Timer {
        unsigned period;
        unsigned due;
    };
    struct Worker {
        ExtractionStage stage;
        unsigned at;
    };
    unsigned now = 0;
    std::map<int, Timer> timers;
    std::vector<Worker> workers;
    std::vector<int> progress;
    long finishedAt = -1;
    bool finishedAdvanced = false;
};

// Without multi1.cab: the payload worker starts after 1 s and the window closes once both
// the worker and the 2 s animation are done; the picture window is told to close.
TEST(PreparingTimers, PayloadOnlyTiming) {
    PreparingFlags flags;
    FakeHost host;
    PreparingTimers machine(flags, host, false);
    machine.Reset();
    machine.Begin(false);
    EXPECT_EQ(host.timers.count(kTimerPayloadStart), 1u);

    host.RunUntil(machine, 999);
    EXPECT_TRUE(host.workers.empty());
    host.RunUntil(machine, 1000);
    ASSERT_EQ(host.workers.size(), 1u);
    EXPECT_EQ(host.workers[0].stage, ExtractionStage::Payload);
    EXPECT_EQ(host.timers.count(kTimerPayloadStart), 0u);  // one shot

    flags.payloadRunning = 0;  // a fast extraction
    host.RunUntil(machine, 2999);
    EXPECT_EQ(host.finishedAt, -1);
    EXPECT_EQ(machine.progress(), 390);
    host.RunUntil(machine, 3000);
    EXPECT_TRUE(machine.animationDone());
    EXPECT_EQ(host.progress.size(), 40u);
    EXPECT_EQ(host.progress.back(), kProgressRange);
    host.RunUntil(machine, 3100);
    EXPECT_EQ(host.finishedAt, 3100);
    EXPECT_FALSE(host.finishedAdvanced);
    EXPECT_EQ(flags.splashHandshake, kSplashClose);
    EXPECT_TRUE(host.timers.empty());
}

// A slow extraction keeps the window open after the animation; it never finishes while the
// payload is still running (a failed worker leaves the flag at 1 until Cancel).
TEST(PreparingTimers, WaitsForSlowOrFailedExtraction) {
    PreparingFlags flags;
    FakeHost host;
    PreparingTimers machine(flags, host, false);
    machine.Reset();
    machine.Begin(false);
    host.RunUntil(machine, 60000);
    EXPECT_EQ(host.finishedAt, -1);
    EXPECT_EQ(machine.progress(), kProgressRange);
    EXPECT_EQ(host.progress.size(), 40u);  // the bar stops at the end of its range
    EXPECT_EQ(host.timers.count(kTimerPayloadWait), 1u);
    EXPECT_EQ(flags.splashHandshake, kSplashIdle);
    flags.payloadRunning = 0;
    host.RunUntil(machine, 60100);
    EXPECT_EQ(host.finishedAt, 60100);
}

// With multi1.cab: its worker starts after 1 s, the payload stage follows the 50-tick wait
// and the first stage's end, and reads ice1.cab through the first-stage-done flag.
TEST(PreparingTimers, FirstStageThenPayload) {
    PreparingFlags flags;
    FakeHost host;
    PreparingTimers machine(flags, host, false);
    machine.Reset();
    machine.Begin(true);
    host.RunUntil(machine, 1000);
    ASSERT_EQ(host.workers.size(), 1u);
    EXPECT_EQ(host.workers[0].stage, ExtractionStage::FirstStage);

    // The first stage takes 5 s: the wait timer keeps polling.
    host.RunUntil(machine, 6000);
    EXPECT_EQ(host.workers.size(), 1u);
    EXPECT_EQ(flags.firstStageDone, 0u);
    flags.firstStageRunning = 0;
    host.RunUntil(machine, 6100);
    EXPECT_EQ(flags.firstStageDone, kFirstStageDone);
    host.RunUntil(machine, 7100);
    ASSERT_EQ(host.workers.size(), 2u);
    EXPECT_EQ(host.workers[1].stage, ExtractionStage::Payload);
    EXPECT_EQ(host.workers[1].at, 7100u);
    flags.payloadRunning = 0;
    host.RunUntil(machine, 20000);
    EXPECT_EQ(host.finishedAt, 7100 + 2000 + 100);
}

// A fast first stage still waits its 50 ticks (2.5 s) before the payload stage starts.
TEST(PreparingTimers, FirstStageMinimumWait) {
    PreparingFlags flags;
    FakeHost host;
    PreparingTimers machine(flags, host, false);
    machine.Reset();
    flags.firstStageRunning = 0;
    machine.Begin(true);
    host.RunUntil(machine, 10000);
    ASSERT_EQ(host.workers.size(), 2u);
    // 1 s start, 50 x 50 ms ticks, one 100 ms wait tick, 1 s start delay.
    EXPECT_EQ(host.workers[1].at, 1000u + 2500u + 100u + 1000u);
}

// Advanced mode leaves the picture-window handshake alone and hands the end to the host.
TEST(PreparingTimers, AdvancedModeFinish) {
    PreparingFlags flags;
    FakeHost host;
    PreparingTimers machine(flags, host, true);
    machine.Reset();
    machine.Begin(false);
    flags.payloadRunning = 0;
    host.RunUntil(machine, 5000);
    EXPECT_TRUE(host.finishedAdvanced);
    EXPECT_EQ(flags.splashHandshake, kSplashIdle);
}

// Ticks still queued for a stopped timer, and unknown ids, change nothing.
TEST(PreparingTimers, IgnoresStaleAndUnknownTicks) {
    PreparingFlags flags;
    FakeHost host;
    PreparingTimers machine(flags, host, false);
    machine.Reset();
    machine.Begin(false);
    machine.OnTimer(kTimerProgress);  // not started yet
    machine.OnTimer(kTimerFirstStageStart);
    machine.OnTimer(0);
    machine.OnTimer(7);
    machine.OnTimer(99);
    EXPECT_TRUE(host.workers.empty());
    EXPECT_TRUE(host.progress.empty());
    machine.OnTimer(kTimerPayloadStart);
    machine.OnTimer(kTimerPayloadStart);  // a second, queued tick of the one shot
    EXPECT_EQ(host.workers.size(), 1u);
    flags.payloadRunning = 0;
    host.RunUntil(machine, 5000);
    long finished = host.finishedAt;
    machine.OnTimer(kTimerPayloadWait);
    machine.OnTimer(kTimerProgress);
    EXPECT_EQ(host.finishedAt, finished);
    EXPECT_EQ(machine.progress(), kProgressRange);
}

// The preparing window may ask the picture window to close before the picture's thread
// has come up: the picture's start-up must keep that request, or it never closes.
TEST(SplashHandshake, AStartUpNeverOverwritesACloseRequest) {
    std::atomic<std::uint32_t> handshake{kSplashOpened};  // set before the thread starts
    handshake = kSplashClose;                             // asked early
    SplashShown(handshake);
    EXPECT_EQ(handshake, kSplashClose);
    EXPECT_TRUE(SplashShouldClose(handshake));

    // The usual order: shown, first tick, then asked to close.
    handshake = kSplashIdle;
    SplashShown(handshake);
    EXPECT_EQ(handshake, kSplashOpened);
    EXPECT_FALSE(SplashShouldClose(handshake));
    EXPECT_EQ(handshake, kSplashIdle);
    EXPECT_FALSE(SplashShouldClose(handshake));
    handshake = kSplashClose;
    EXPECT_TRUE(SplashShouldClose(handshake));
}

}  // namespace
}  // namespace stepwise
