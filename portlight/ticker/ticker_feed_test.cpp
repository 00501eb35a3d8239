#include "ticker/ticker_feed.h"

#include <gtest/gtest.h>

#include "common/net/url.h"
#include "ticker/endpoints.h"
#include "ticker/ticker_test_support.h"

namespace portlight {
namespace {

using testing::FakeClock;
using testing::MemoryCache;
using testing::MemoryStore;

constexpr char kFeed[] = "Ticker\r\n'Starts here'\r\nNew one^http://a.example/\r\nNew two^";

net::HttpResponse Response(int status, const std::string& body, bool complete) {
    net::HttpResponse r;
    r.status = status;
    r.body = body;
    r.complete = complete;
    return r;
}

struct Fixture {
    Fixture() {
        cache.text = "'Starts here'\r\nOld^\r\n";
        feed.feedUrl = net::JoinUrl(kVendorSiteUrl, kTickerFeedPath);
        feed.boxWidthTwips = 5000;
        feed.boxHeightTwips = 300;
    }
    TickerDisplay display;
    MemoryCache cache;
    MemoryStore store;
    FakeClock clock;
    std::vector<std::string> fetches;
    bool workerBusy = false;
    TickerFeed feed{display, cache, store, clock, [this](const std::string& url) {
                        if (workerBusy)
                            return false;
                        fetches.push_back(url);
                        return true;
                    }};
};

// A complete 200 stores the body plus a line break, marks the day and restarts the ticker
// at the new feed's first item.
TEST(TickerFeed, CompleteFeedReplacesCacheAndRestarts) {
    Fixture f;
    f.feed.LoadTickerCache();
    EXPECT_EQ(f.display.TempTickerList, (std::vector<std::string>{"Old^", " ^"}));
    f.display.ShowNextTickerItem();
    f.display.ShowNextTickerItem();

    ASSERT_TRUE(f.feed.GetNewTickerText(true));
    ASSERT_EQ(f.fetches.size(), 1u);
    EXPECT_EQ(f.fetches[0], "http://www.kestro.com/tickers/plticker100.txt");
    EXPECT_EQ(f.store.writes, 0) << "nothing stored before the answer";

    EXPECT_TRUE(f.feed.OnFeedFetched(Response(200, kFeed, true)));
    EXPECT_EQ(f.cache.text, std::string(kFeed) + "\r\n");
    EXPECT_EQ(f.store.values["TickerDate"], "20261209");
    EXPECT_EQ(f.display.TickerIndex, "0");
    EXPECT_EQ(f.display.lblTicker[0].Height, 300);
    f.display.ShowNextTickerItem();
    EXPECT_EQ(f.display.lblTicker[0].Caption, "New one");
}

// An error page, an empty body, a body cut short, no answer at all, or a cache that cannot
// be written: the old cache stays and the day stays unmarked, so the next check retries.
TEST(TickerFeed, AnythingButACompleteFeedChangesNothing) {
    for (const net::HttpResponse& bad :
         {Response(404, "<html>Not Found</html>", true), Response(500, "", true),
          Response(200, "", true), Response(200, "'Starts here'\r\nHalf", false),
          Response(0, "", false), Response(206, kFeed, true)}) {
        Fixture f;
        f.store.values["TickerDate"] = "20261208";
        f.feed.LoadTickerCache();
        EXPECT_FALSE(f.feed.OnFeedFetched(bad)) << bad.status;
        EXPECT_EQ(f.cache.text, "'Starts here'\r\nOld^\r\n") << bad.status;
        EXPECT_EQ(f.store.values["TickerDate"], "20261208") << bad.status;
        EXPECT_EQ(f.display.TempTickerList.front(), "Old^");
    }
    Fixture f;
    f.cache.failWrites = true;
    EXPECT_FALSE(f.feed.OnFeedFetched(Response(200, kFeed, true)));
    EXPECT_EQ(f.store.values.count("TickerDate"), 0u) << "a failed write is no fetch";
}

// While offline neither the due check nor the command fetches; a fetch already running is
// not started twice.
TEST(TickerFeed, OfflineOrBusyStartsNothing) {
    Fixture f;
    EXPECT_FALSE(f.feed.GetNewTickerText(false));
    EXPECT_TRUE(f.fetches.empty());
    f.workerBusy = true;
    EXPECT_FALSE(f.feed.GetNewTickerText(true));
    EXPECT_TRUE(f.fetches.empty());
}

// Without ticker.db the list stays empty (no separator either).
TEST(TickerFeed, MissingCacheLeavesTheListEmpty) {
    Fixture f;
    f.cache.text.reset();
    f.display.TempTickerList = {"stale^", " ^"};
    f.feed.LoadTickerCache();
    EXPECT_TRUE(f.display.TempTickerList.empty());
    EXPECT_EQ(f.display.lblTicker[0].Width, 5000);
}

TEST(TickerFeed, EndpointOverrides) {
    EXPECT_EQ(BaseUrl("http://127.0.0.1:8123", kVendorSiteUrl), "http://127.0.0.1:8123");
    EXPECT_EQ(BaseUrl(nullptr, kVendorSiteUrl), kVendorSiteUrl);
    EXPECT_EQ(BaseUrl("", kVendorSiteUrl), kVendorSiteUrl);
    EXPECT_EQ(BaseUrl("127.0.0.1:8123", kCounterSiteUrl), kCounterSiteUrl) << "no scheme";
    EXPECT_EQ(BaseUrl("file:///c:/x", kCounterSiteUrl), kCounterSiteUrl);
}

}  // namespace
}  // namespace portlight
