#include "app/housekeeping.h"

#include <cstdlib>

namespace portlight {

int DueCheckTicks(const char* value) {
    if (!value || !*value)
        return kDueCheckTicks;
    char* end = nullptr;
    long ticks = std::strtol(value, &end, 10);
    if (*end || ticks < 1 || ticks > kDueCheckTicks)
        return kDueCheckTicks;
    return static_cast<int>(ticks);
}

void Housekeeping::Tick() {
    if (host_.ExitRequested()) {
        host_.UnloadMainWindow();
        return;
    }
    if (host_.ReportPending())
        host_.RefreshNetstatsInfoBox();

    if (TickerStepCounter >= 3) {
        host_.TickerStep();
        TickerStepCounter = 0;
    }
    ++TickerStepCounter;

    if (HousekeepingTicks >= checkEveryTicks) {
        // The date keys are read fresh: the ticker download and the usage ping write them.
        if (store_.Read("TickerDate", "") != clock_.Today())
            host_.GetNewTickerText();
        if (store_.Read("StatsDate", "") != clock_.Today())
            host_.SendUsagePing();
        if (store_.Read("StatsTime", "") != clock_.Hour())
            host_.SendUsagePing();
        HousekeepingTicks = 0;
    }

    host_.QueryOnline();
    ++HousekeepingTicks;
}

}  // namespace portlight
