// Any bytes as a ticker feed: the item list, every entry's parts and link rule, and a walk
// through the display, without a crash, a hang or an out-of-range read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/net/http_response.h"
#include "ticker/ticker_display.h"
#include "ticker/ticker_items.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    portlight::TickerDisplay display;
    display.SizeLabels(5000, 300);
    display.SetList(portlight::TickerList(text));
    for (size_t i = 0; i < display.TempTickerList.size() + 1 && i < 64; ++i) {
        display.ShowNextTickerItem();
        while (display.TickerTimerEnabled)
            display.TickerTimerTick();
        (void)display.LinkToOpen(0);
    }
    (void)net::ContentLength(text);
    return 0;
}
