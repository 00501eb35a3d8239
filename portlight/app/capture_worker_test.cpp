#include "app/capture_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <new>
#include <system_error>
#include <thread>

namespace portlight {
namespace {

// The window's side of a snapshot as the worker sees it: the guard flag and a mailbox for
// the posted result.
struct Window {
    std::atomic<bool> running{false};
    std::atomic<CaptureResult*> posted{nullptr};
    SnapshotGuard Guard() {
        return SnapshotGuard([this](bool on) { running = on; });
    }
};

bool Eventually(const std::function<bool()>& condition) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (; std::chrono::steady_clock::now() < until;
         std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (condition())
            return true;
    return false;
}

// A delivered result keeps the guard until the window has taken it and finished with it.
TEST(CaptureWorker, DeliveredResultHandsTheGuardToTheWindow) {
    Window window;
    CaptureWorker worker([](const std::string& line) { return CaptureResult{"out of " + line}; },
                         [&](CaptureResult* r) { return (window.posted = r), true; });
    ASSERT_TRUE(worker.Start("netstat -ona", window.Guard()));
    ASSERT_TRUE(Eventually([&] { return window.posted != nullptr; }));
    std::unique_ptr<CaptureResult> result(window.posted);
    EXPECT_EQ(result->output, "out of netstat -ona");
    EXPECT_TRUE(window.running);
    {
        std::optional<SnapshotGuard> guard = worker.Finish();
        EXPECT_TRUE(guard.has_value());
        EXPECT_TRUE(window.running) << "held until the snapshot's last step";
    }
    EXPECT_FALSE(window.running);
    EXPECT_FALSE(worker.ReapUndelivered());
}

// Every way a capture can fail ends the guard: a capture that throws and a result that
// cannot be posted end it at the next reap, a worker that cannot start ends it at once.
TEST(CaptureWorker, EveryFailureEndsTheGuard) {
    Window window;
    CaptureWorker throwing([](const std::string&) -> CaptureResult { throw std::bad_alloc(); },
                           [&](CaptureResult* r) { return (window.posted = r), true; });
    ASSERT_TRUE(throwing.Start("netstat -ona", window.Guard()));
    EXPECT_TRUE(Eventually([&] { return throwing.ReapUndelivered(); }));
    EXPECT_FALSE(window.running) << "the capture threw";
    EXPECT_EQ(window.posted, nullptr);

    CaptureWorker unposted([](const std::string&) { return CaptureResult{"lost"}; },
                           [](CaptureResult*) { return false; });
    ASSERT_TRUE(unposted.Start("netstat -ona", window.Guard()));
    EXPECT_TRUE(Eventually([&] { return unposted.ReapUndelivered(); }));
    EXPECT_FALSE(window.running) << "the result could not be posted";

    CaptureWorker unstarted([](const std::string&) { return CaptureResult{}; },
                            [](CaptureResult*) { return true; });
    unstarted.startThread = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    EXPECT_FALSE(unstarted.Start("netstat -ona", window.Guard()));
    EXPECT_FALSE(window.running) << "the worker did not start";
}

}  // namespace
}  // namespace portlight
