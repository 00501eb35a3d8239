// The hourly usage request to the web counter: a GET of the counter's "/n" page with the
// program's account id, presented as a browser that came from the vendor's program page.
// The answer is not read. "StatsDate" and "StatsTime" record the day and hour it went out,
// whether or not it later succeeds. The request itself runs elsewhere (a worker); while an
// earlier one is still in flight this one is skipped, and the next due check sends it.
#pragma once

#include <functional>
#include <string>

#include "app/housekeeping.h"
#include "app/options.h"

namespace portlight {

constexpr char kCounterAccountId[] = "Kf3Rz82qTm1NvHx6+p+LdaW4ucjo";

// The counter's address on `counterBase`: path "/n", query "id".
std::string CounterUrl(const std::string& counterBase);
// The two request header lines, CR LF between them and none after the second. The
// User-Agent line has no closing parenthesis: that is the text the counter expects.
std::string UsageHeaderBlock(const std::string& vendorBase);

class UsagePing {
  public:
    // Starts the request (url, header block); runs it elsewhere and returns at once.
    using StartRequest = std::function<void(const std::string& url, const std::string& headers)>;
    using InFlight = std::function<bool()>;

    UsagePing(ProfileStore& store, Clock& clock, StartRequest start, InFlight inFlight)
        : store_(store), clock_(clock), start_(std::move(start)), inFlight_(std::move(inFlight)) {}

    // Sends the request unless offline, turned off ("SendUsage" "False") or an earlier one
    // still runs; true when it went.
    bool SendUsagePing(bool online, bool sendUsage);

    std::string counterUrl;
    std::string headerBlock;

  private:
    ProfileStore& store_;
    Clock& clock_;
    StartRequest start_;
    InFlight inFlight_;
};

}  // namespace portlight
