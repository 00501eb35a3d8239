#include "ticker/usage_ping.h"

#include "common/net/http_response.h"
#include "common/net/url.h"
#include "ticker/endpoints.h"

namespace portlight {

std::string CounterUrl(const std::string& counterBase) {
    return net::JoinUrl(counterBase, std::string("/n?id=") + kCounterAccountId);
}

std::string UsageHeaderBlock(const std::string& vendorBase) {
    return net::HeaderBlock(
        {"Referer: " + net::JoinUrl(vendorBase, kProgramPagePath),
         "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows XP; Win NT 5.1"});
}

bool UsagePing::SendUsagePing(bool online, bool sendUsage) {
    if (!online || !sendUsage)
        return false;
    // Waiting for the earlier request would spin the window's thread; skip instead.
    if (inFlight_())
        return false;
    start_(counterUrl, headerBlock);
    store_.Write("StatsDate", clock_.Today());
    store_.Write("StatsTime", clock_.Hour());
    return true;
}

}  // namespace portlight
