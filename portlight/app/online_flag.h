// IsOnline: the internet-connection state, refreshed on every one-second tick and read only
// by the ticker-feed download and the usage request. Asking the system is the dearest part
// of an idle tick (under Wine InternetGetConnectedState walks every network adapter), so a
// tick only marks the stored answer out of date and the state is asked when a reader next
// wants it: each reader gets what the system answers at that moment, as the tick would have
// stored it, and idle ticks ask nothing. Before the first tick the flag reads false, as the
// field starts.
#pragma once

#include <functional>
#include <utility>

namespace portlight {

class OnlineFlag {
  public:
    explicit OnlineFlag(std::function<bool()> query) : query_(std::move(query)) {}

    // The tick's refresh.
    void Refresh() { stale_ = true; }

    // IsOnline as a reader sees it.
    bool IsOnline() {
        if (stale_) {
            value_ = query_ && query_();
            stale_ = false;
        }
        return value_;
    }

  private:
    std::function<bool()> query_;
    bool value_ = false;
    bool stale_ = false;
};

}  // namespace portlight
