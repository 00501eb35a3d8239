#include "ticker/usage_ping.h"

#include <gtest/gtest.h>

#include "ticker/endpoints.h"
#include "ticker/ticker_test_support.h"

namespace portlight {
namespace {

using testing::FakeClock;
using testing::MemoryStore;

struct Sent {
    std::string url;
    std::string headers;
};

struct Fixture {
    Fixture() {
        ping.counterUrl = CounterUrl("http://127.0.0.1:8123");
        ping.headerBlock = UsageHeaderBlock("http://127.0.0.1:8124/");
    }
    MemoryStore store;
    FakeClock clock;
    std::vector<Sent> sent;
    bool inFlight = false;
    UsagePing ping{store, clock,
                   [this](const std::string& url, const std::string& headers) {
                       sent.push_back({url, headers});
                   },
                   [this] { return inFlight; }};
};

// The request's address and its two header lines, exactly.
TEST(UsagePing, RequestAndHeaderBlock) {
    Fixture f;
    ASSERT_TRUE(f.ping.SendUsagePing(true, true));
    ASSERT_EQ(f.sent.size(), 1u);
    EXPECT_EQ(f.sent[0].url, "http://127.0.0.1:8123/n?id=Kf3Rz82qTm1NvHx6+p+LdaW4ucjo");
    EXPECT_EQ(f.sent[0].headers,
              "Referer: http://127.0.0.1:8124/program.htm\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows XP; Win NT 5.1");
    EXPECT_EQ(f.store.values["StatsDate"], "20261209");
    EXPECT_EQ(f.store.values["StatsTime"], "10");
    EXPECT_EQ(CounterUrl(kCounterSiteUrl),
              "http://counter.kestro.com/n?id=Kf3Rz82qTm1NvHx6+p+LdaW4ucjo");
}

// Offline, turned off, or an earlier request still running: nothing sent, nothing stored.
TEST(UsagePing, SkippedSendsAndStoresNothing) {
    Fixture f;
    EXPECT_FALSE(f.ping.SendUsagePing(false, true));
    EXPECT_FALSE(f.ping.SendUsagePing(true, false));
    f.inFlight = true;
    EXPECT_FALSE(f.ping.SendUsagePing(true, true));
    EXPECT_TRUE(f.sent.empty());
    EXPECT_EQ(f.store.writes, 0);
}

// The due checks through the one-second timer, with a clock the test moves.
class DueHost : public HousekeepingHost {
  public:
    explicit DueHost(UsagePing& ping) : ping_(ping) {}
    bool ExitRequested() override { return false; }
    void UnloadMainWindow() override {}
    void SendUsagePing() override { ping_.SendUsagePing(online, sendUsage); }
    bool online = true;
    bool sendUsage = true;

  private:
    UsagePing& ping_;
};

void RunTicks(Housekeeping& timer, int ticks) {
    for (int i = 0; i < ticks; ++i)
        timer.Tick();
}

// Start-up at 10:30 with today's date and hour "10": nothing at the first check; the first
// request goes at the first check after 11:00, and then once per hour.
TEST(UsagePing, DueOncePerClockHour) {
    Fixture f;
    f.store.values["StatsDate"] = "20261209";
    f.store.values["StatsTime"] = "10";
    DueHost host(f.ping);
    Housekeeping timer(host, f.store, f.clock);
    RunTicks(timer, 61);
    RunTicks(timer, 60 * 29);  // until 10:59
    EXPECT_TRUE(f.sent.empty());
    f.clock.hour = "11";
    RunTicks(timer, 60);
    EXPECT_EQ(f.sent.size(), 1u);
    EXPECT_EQ(f.store.values["StatsTime"], "11");
    RunTicks(timer, 60 * 59);
    EXPECT_EQ(f.sent.size(), 1u) << "once per hour";
    f.clock.today = "20261210";
    f.clock.hour = "11";
    RunTicks(timer, 60);
    EXPECT_EQ(f.sent.size(), 2u) << "a new day sends even in the same hour";
}

// A missing "StatsDate" sends at the first check, once.
TEST(UsagePing, MissingDateSendsAtTheFirstCheck) {
    Fixture f;
    DueHost host(f.ping);
    Housekeeping timer(host, f.store, f.clock);
    RunTicks(timer, 60);
    EXPECT_TRUE(f.sent.empty());
    RunTicks(timer, 1);
    EXPECT_EQ(f.sent.size(), 1u);
}

// Offline, or with "SendUsage" "False", the checks send and store nothing; back online,
// the next check sends.
TEST(UsagePing, OfflineOrOffChecksSendNothing) {
    Fixture f;
    DueHost host(f.ping);
    host.online = false;
    Housekeeping timer(host, f.store, f.clock);
    RunTicks(timer, 61 + 120);
    host.online = true;
    host.sendUsage = false;
    RunTicks(timer, 120);
    EXPECT_TRUE(f.sent.empty());
    EXPECT_EQ(f.store.writes, 0);
    host.sendUsage = true;
    RunTicks(timer, 60);
    EXPECT_EQ(f.sent.size(), 1u);
}

// A request still in flight at a due check: skipped, and the next check sends it.
TEST(UsagePing, InFlightIsRetriedAtTheNextCheck) {
    Fixture f;
    DueHost host(f.ping);
    Housekeeping timer(host, f.store, f.clock);
    f.inFlight = true;
    RunTicks(timer, 61);
    EXPECT_TRUE(f.sent.empty());
    f.inFlight = false;
    RunTicks(timer, 60);
    EXPECT_EQ(f.sent.size(), 1u);
}

// The test seam for the check period accepts 1 to 60 only.
TEST(UsagePing, DueCheckPeriodSeam) {
    EXPECT_EQ(DueCheckTicks(nullptr), 60);
    EXPECT_EQ(DueCheckTicks(""), 60);
    EXPECT_EQ(DueCheckTicks("3"), 3);
    EXPECT_EQ(DueCheckTicks("60"), 60);
    EXPECT_EQ(DueCheckTicks("0"), 60);
    EXPECT_EQ(DueCheckTicks("61"), 60);
    EXPECT_EQ(DueCheckTicks("2x"), 60);
    EXPECT_EQ(DueCheckTicks("-5"), 60);
}

}  // namespace
}  // namespace portlight
