#include "app/housekeeping.h"

#include <gtest/gtest.h>

#include <map>

namespace portlight {
namespace {

class FakeClock : public Clock {
  public:
    std::string Today() override { return today; }
    std::string Hour() override { return hour; }
    std::string today = "20261208";
    std::string hour = "14";
};

class Store : public ProfileStore {
  public:
    std::string Read(const std::string& key, const std::string& fallback) override {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void Write(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

class Host : public HousekeepingHost {
  public:
    bool ExitRequested() override { return exitRequested; }
    void UnloadMainWindow() override { ++unloads; }
    bool ReportPending() override { return reportPending; }
    void RefreshNetstatsInfoBox() override { ++reports; }
    void TickerStep() override { ++tickerSteps; }
    void GetNewTickerText() override {
        ++tickerDownloads;
        store->Write("TickerDate", clock->Today());
    }
    void SendUsagePing() override {
        ++pings;
        store->Write("StatsDate", clock->Today());
        store->Write("StatsTime", clock->Hour());
    }
    void QueryOnline() override { ++onlineQueries; }
    bool exitRequested = false, reportPending = false;
    int unloads = 0, reports = 0, tickerSteps = 0, tickerDownloads = 0, pings = 0,
        onlineQueries = 0;
    Store* store = nullptr;
    FakeClock* clock = nullptr;
};

struct Fixture {
    Fixture() {
        host.store = &store;
        host.clock = &clock;
    }
    FakeClock clock;
    Store store;
    Host host;
    Housekeeping timer{host, store, clock};
};

// The daily checks first run on the 61st tick, then every 60 ticks.
TEST(Housekeeping, DailyChecksOnThe61stTick) {
    Fixture f;
    for (int i = 0; i < 60; ++i)
        f.timer.Tick();
    EXPECT_EQ(f.host.tickerDownloads, 0);
    EXPECT_EQ(f.host.pings, 0);
    f.timer.Tick();  // 61st
    EXPECT_EQ(f.host.tickerDownloads, 1);
    EXPECT_EQ(f.host.pings, 1) << "the hourly check sees the keys the daily ping wrote";
    EXPECT_EQ(f.host.onlineQueries, 61);

    // Fetched today already: nothing more until the date or the hour changes.
    for (int i = 0; i < 60; ++i)
        f.timer.Tick();
    EXPECT_EQ(f.host.tickerDownloads, 1);
    EXPECT_EQ(f.host.pings, 1);

    f.clock.hour = "15";
    for (int i = 0; i < 60; ++i)
        f.timer.Tick();
    EXPECT_EQ(f.host.tickerDownloads, 1);
    EXPECT_EQ(f.host.pings, 2);

    f.clock.today = "20261209";
    for (int i = 0; i < 60; ++i)
        f.timer.Tick();
    EXPECT_EQ(f.host.tickerDownloads, 2);
    EXPECT_EQ(f.host.pings, 3);
}

// When the ping does not write its keys (offline), both usage checks fire.
TEST(Housekeeping, UsageChecksReadKeysFresh) {
    Fixture f;
    f.host.store = nullptr;
    struct OfflineHost : Host {
        void GetNewTickerText() override { ++tickerDownloads; }
        void SendUsagePing() override { ++pings; }
    } offline;
    Housekeeping timer(offline, f.store, f.clock);
    for (int i = 0; i < 61; ++i)
        timer.Tick();
    EXPECT_EQ(offline.tickerDownloads, 1);
    EXPECT_EQ(offline.pings, 2);
}

// The ticker steps on every third tick; a deferred exit stops the tick early.
TEST(Housekeeping, TickerStepAndDeferredExit) {
    Fixture f;
    for (int i = 0; i < 9; ++i)
        f.timer.Tick();
    EXPECT_EQ(f.host.tickerSteps, 2);  // ticks 4 and 7
    f.host.reportPending = true;
    f.timer.Tick();
    EXPECT_EQ(f.host.reports, 1);
    EXPECT_EQ(f.host.tickerSteps, 3);  // tick 10
    f.host.exitRequested = true;
    f.timer.Tick();
    EXPECT_EQ(f.host.unloads, 1);
    EXPECT_EQ(f.host.reports, 1);
    EXPECT_EQ(f.host.onlineQueries, 10);
}

}  // namespace
}  // namespace portlight
