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

class Housekeeping {
  public:
    Housekeeping(HousekeepingHost& host, ProfileStore& store, Clock& clock)
        : host_(host), store_(store), clock_(clock) {}

    void Tick();

    int TickerStepCounter = 0;
    int HousekeepingTicks = 0;

  private:
    HousekeepingHost& host_;
    ProfileStore& store_;
    Clock& clock_;
};

}  // namespace portlight
