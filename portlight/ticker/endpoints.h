// The two outside hosts the bar talks to: the vendor's web site (ticker feed, the Referer of
// the usage request) and the web counter (the usage request). Each is a base address; an
// environment variable replaces it, so tests (and anyone mirroring the feed) can point the
// bar at another server such as http://127.0.0.1:8123.
#pragma once

#include <string>

namespace portlight {

constexpr char kVendorSiteUrl[] = "http://www.kestro.com";
constexpr char kCounterSiteUrl[] = "http://counter.kestro.com";
constexpr char kVendorUrlVariable[] = "PORTLIGHT_VENDOR_URL";
constexpr char kCounterUrlVariable[] = "PORTLIGHT_COUNTER_URL";

// The feed's path on the vendor site, and the page the usage request says it came from.
constexpr char kTickerFeedPath[] = "/tickers/plticker100.txt";
constexpr char kProgramPagePath[] = "/program.htm";

// `override` when it is an http(s) address (ParseUrl accepts it), else `fallback`. An
// unusable override must not send the bar's requests to a mangled host.
std::string BaseUrl(const char* override, const std::string& fallback);

// The bases in use, from the environment (read at each call).
std::string VendorBaseUrl();
std::string CounterBaseUrl();

}  // namespace portlight
