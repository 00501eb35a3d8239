// The daily ticker feed and its cache ticker.db. GetNewTickerText starts a download of the
// feed (the transfer runs elsewhere, on a worker); OnFeedFetched takes its outcome on the
// window's thread. Only a complete 200 with a body replaces the cache, through a
// temporary file moved over the old one, and only then is the day marked as fetched
// ("TickerDate") and the list reloaded. Anything else changes nothing, so the next due
// check tries again.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/housekeeping.h"
#include "app/options.h"
#include "common/net/http_response.h"
#include "ticker/ticker_display.h"

namespace portlight {

// Where the cache lives.
class TickerCache {
  public:
    virtual ~TickerCache() = default;
    // The cache's text; nullopt when there is no cache file (or it cannot be read).
    virtual std::optional<std::string> Read() = 0;
    // Replaces the whole cache with `text`; false, with the old cache untouched, when the
    // new one could not be written in full.
    virtual bool Replace(const std::string& text) = 0;
};

// The cache's text for a fetched feed: the feed exactly as received and one line break.
std::string TickerCacheText(const std::string& feed);

// Whether a download may replace the cache: a 200 whose body came whole and is not empty.
// An error page, an empty body or a body cut short would replace a good cache with
// garbage and mark the day as fetched.
bool ShouldReplaceCache(const net::HttpResponse& response);

class TickerFeed {
  public:
    // Starts the download of `url`; false when none started (one still runs).
    using StartFetch = std::function<bool(const std::string& url)>;

    TickerFeed(TickerDisplay& display,
               TickerCache& cache,
               ProfileStore& store,
               Clock& clock,
               StartFetch startFetch)
        : display_(display),
          cache_(cache),
          store_(store),
          clock_(clock),
          startFetch_(std::move(startFetch)) {}

    // Resets the labels to the box and reloads the list from the cache; without a cache the
    // list stays empty.
    void LoadTickerCache();
    // Starts the feed download unless offline; true when one started.
    bool GetNewTickerText(bool online);
    // The download's outcome, on the window's thread; true when the cache was replaced.
    bool OnFeedFetched(const net::HttpResponse& response);

    // The feed's address (vendor base and feed path); set from the environment by the bar.
    std::string feedUrl;
    // The box the labels are sized to, in twips.
    int boxWidthTwips = 0;
    int boxHeightTwips = 0;

  private:
    TickerDisplay& display_;
    TickerCache& cache_;
    ProfileStore& store_;
    Clock& clock_;
    StartFetch startFetch_;
};

}  // namespace portlight
