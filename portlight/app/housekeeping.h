// The one-second MainTimer tick: completes a deferred exit, re-issues a deferred report,
// advances the ticker every third tick, and about once a minute checks whether the
// ticker feed (daily) and the usage request (daily and hourly) are due.
#pragma once

#include <string>

#include "app/options.h"

namespace portlight {

// Today's date as "yyyymmdd" and the current hour as "hh" (local time).
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::string Today() = 0;
    virtual std::string Hour() = 0;
};

// What a tick asks the bar to do.
class HousekeepingHost {
  public:
    virtual ~HousekeepingHost() = default;
    virtual bool ExitRequested() = 0;
    virtual void UnloadMainWindow() = 0;
    virtual bool ReportPending() { return false; }
    virtual void RefreshNetstatsInfoBox() {}
    virtual void TickerStep() {}
    virtual void GetNewTickerText() {}
    virtual void SendUsagePing() {}
    virtual void QueryOnline() {}
};

// The due checks run about once a minute: every 60 one-second ticks.
constexpr int kDueCheckTicks = 60;
constexpr char kDueCheckTicksVariable[] = "PORTLIGHT_TEST_DUE_CHECK_TICKS";

// A test-only seam: when the environment variable PORTLIGHT_TEST_DUE_CHECK_TICKS holds a
// number from 1 to 60, the due checks run every that many ticks instead of every 60, so
// end-to-end scenarios see the feed download and the usage request without waiting a real
// minute. Any other value (or none) gives 60.
int DueCheckTicks(const char* variableValue);

class Housekeeping {
  public:
    Housekeeping(HousekeepingHost& host, ProfileStore& store, Clock& clock)
        : host_(host), store_(store), clock_(clock) {}

    void Tick();

    int TickerStepCounter = 0;
    int HousekeepingTicks = 0;
    // Ticks between the due checks of the ticker feed and the usage request.
    int checkEveryTicks = kDueCheckTicks;

  private:
    HousekeepingHost& host_;
    ProfileStore& store_;
    Clock& clock_;
};

}  // namespace portlight
