#include "net/request_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace portlight {
namespace {

// A gate the job waits at, so the test decides when a request ends.
struct Gate {
    void Open() {
        std::lock_guard<std::mutex> lock(m);
        open = true;
        cv.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return open; });
    }
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
};

void WaitIdle(const RequestWorker& worker) {
    while (worker.InFlight())
        std::this_thread::yield();
}

// One request at a time: a second start while the first runs is refused and never runs.
TEST(RequestWorker, OneRequestAtATime) {
    RequestWorker worker;
    auto gate = std::make_shared<Gate>();
    auto ran = std::make_shared<std::atomic<int>>(0);
    ASSERT_TRUE(worker.Start([gate, ran] {
        gate->Wait();
        ++*ran;
    }));
    EXPECT_TRUE(worker.InFlight());
    EXPECT_FALSE(worker.Start([ran] { *ran += 100; }));
    gate->Open();
    WaitIdle(worker);
    EXPECT_EQ(ran->load(), 1);
    ASSERT_TRUE(worker.Start([ran] { ++*ran; }));
    WaitIdle(worker);
    EXPECT_EQ(ran->load(), 2);
}

// A job that throws, or a thread that cannot start, leaves the worker ready for the next.
TEST(RequestWorker, FailuresLeaveItReady) {
    RequestWorker worker;
    ASSERT_TRUE(worker.Start([] { throw std::runtime_error("network"); }));
    WaitIdle(worker);
    worker.startThread = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    };
    EXPECT_FALSE(worker.Start([] {}));
    EXPECT_FALSE(worker.InFlight());
}

// The worker may go while its request still runs: the request finishes on its own.
TEST(RequestWorker, OutlivedByItsRequest) {
    auto gate = std::make_shared<Gate>();
    auto done = std::make_shared<Gate>();
    {
        RequestWorker worker;
        ASSERT_TRUE(worker.Start([gate, done] {
            gate->Wait();
            done->Open();
        }));
    }
    gate->Open();
    done->Wait();
}

}  // namespace
}  // namespace portlight
