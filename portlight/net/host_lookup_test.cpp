#include "net/host_lookup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace portlight {
namespace {

using namespace std::chrono_literals;

// A resolver that answers from a map, can be held until released, and counts its calls; and
// a wait for the worker's "answered" signal with a generous limit.
struct FakeResolver {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    int calls = 0;
    int answered = 0;

    std::string Resolve(const LookupAddress& address) {
        std::unique_lock<std::mutex> lock(mutex);
        ++calls;
        changed.notify_all();
        changed.wait(lock, [&] { return !held; });
        if (address.text == "127.0.0.1")
            return "localhost";
        if (address.family == AddressFamily::kIPv6 && address.text == "::1")
            return "ip6-localhost";
        return "";
    }
    void Answered() {
        std::lock_guard<std::mutex> lock(mutex);
        ++answered;
        changed.notify_all();
    }
    void Hold() {
        std::lock_guard<std::mutex> lock(mutex);
        held = true;
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex);
        held = false;
        changed.notify_all();
    }
    bool WaitAnswers(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return answered >= count; });
    }
    bool WaitCalls(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return calls >= count; });
    }
};

struct Worker {
    FakeResolver fake;
    HostLookupWorker worker{[this](const LookupAddress& a) { return fake.Resolve(a); },
                            [this] { fake.Answered(); }};
};

using Update = HostLines::Update;

// Answers fill the shown report's host lines as they arrive; addresses that are never looked
// up keep the bare label at once; a refresh takes every answer from the session cache.
TEST(HostLines, FillInOrderAndCacheForTheSession) {
    Worker s;
    HostLines lines;
    std::vector<HostLines::Entry> entries = {{"127.0.0.1", 4, true},
                                             {"*", 7, false},
                                             {"[::1]", 15, true},
                                             {"10.9.9.9", 18, false},
                                             {"127.0.0.1", 26, true}};
    // Held, so that no answer reaches the cache before the report has asked for all of them.
    s.fake.Hold();
    std::vector<Update> now = lines.Begin(entries, s.worker);
    EXPECT_EQ(now, (std::vector<Update>{{7, "Remote Host  : "}}));
    EXPECT_TRUE(lines.Pending());
    s.fake.Release();
    ASSERT_TRUE(s.fake.WaitAnswers(3));
    std::vector<Update> filled = lines.Apply(s.worker.TakeAnswers());
    EXPECT_EQ(filled, (std::vector<Update>{{4, "Local Host   : localhost"},
                                           {26, "Local Host   : localhost"},
                                           {15, "Local Host   : ip6-localhost"},
                                           {18, "Remote Host  : "}}));
    EXPECT_FALSE(lines.Pending());
    EXPECT_EQ(s.fake.calls, 3) << "127.0.0.1 is asked once";

    // The same report again: everything from the cache, the failure included.
    now = lines.Begin(entries, s.worker);
    EXPECT_EQ(now.size(), 5u);
    EXPECT_FALSE(lines.Pending());
    EXPECT_EQ(s.fake.calls, 3);
    EXPECT_EQ(s.worker.Cached("10.9.9.9"), std::optional<std::string>(""));
}

// An answer that arrives after its report was replaced or cleared is not written into the
// new content; a new report that wants the same address still gets it.
TEST(HostLines, StaleAnswerIsDropped) {
    Worker s;
    s.fake.Hold();
    HostLines lines;
    lines.Begin({{"127.0.0.1", 4, true}, {"[::1]", 7, false}}, s.worker);
    ASSERT_TRUE(s.fake.WaitCalls(1));
    // The report is cleared (the window now shows the connection list).
    lines.Clear(s.worker);
    s.fake.Release();
    ASSERT_TRUE(s.fake.WaitAnswers(1));
    EXPECT_TRUE(lines.Apply(s.worker.TakeAnswers()).empty());
    EXPECT_FALSE(lines.Pending());
    EXPECT_EQ(s.fake.calls, 1) << "the queued lookup of the cleared report was dropped";

    // A replaced report: the new one waits for its own address at its own line.
    s.fake.Hold();
    lines.Begin({{"[::1]", 30, true}}, s.worker);
    ASSERT_TRUE(s.fake.WaitCalls(2));
    lines.Begin({{"[::1]", 12, false}}, s.worker);
    s.fake.Release();
    ASSERT_TRUE(s.fake.WaitAnswers(2));
    EXPECT_EQ(lines.Apply(s.worker.TakeAnswers()),
              (std::vector<Update>{{12, "Remote Host  : ip6-localhost"}}));
    EXPECT_EQ(s.fake.calls, 2) << "an address being looked up is not asked again";
}

// Closing while a lookup blocks does not wait for it.
TEST(HostLookupWorker, ClosingDoesNotWaitForABlockedLookup) {
    auto fake = std::make_shared<FakeResolver>();
    fake->Hold();
    auto start = std::chrono::steady_clock::now();
    {
        HostLookupWorker worker([fake](const LookupAddress& a) { return fake->Resolve(a); },
                                nullptr);
        worker.Request("127.0.0.1", {AddressFamily::kIPv4, "127.0.0.1"});
        ASSERT_TRUE(fake->WaitCalls(1));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    fake->Release();  // the detached lookup ends and drops its answer
}

}  // namespace
}  // namespace portlight
