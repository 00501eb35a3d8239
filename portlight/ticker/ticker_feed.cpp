#include "ticker/ticker_feed.h"

#include "ticker/ticker_items.h"

namespace portlight {

std::string TickerCacheText(const std::string& feed) {
    return feed + "\r\n";
}

bool ShouldReplaceCache(const net::HttpResponse& response) {
    return response.CompleteOk() && !response.body.empty();
}

void TickerFeed::LoadTickerCache() {
    display_.SizeLabels(boxWidthTwips, boxHeightTwips);
    display_.ClearList();
    std::optional<std::string> text = cache_.Read();
    if (!text)
        return;
    display_.SetList(TickerList(*text));
}

bool TickerFeed::GetNewTickerText(bool online) {
    if (!online)
        return false;
    return startFetch_(feedUrl);
}

bool TickerFeed::OnFeedFetched(const net::HttpResponse& response) {
    if (!ShouldReplaceCache(response))
        return false;
    // A cache that could not be written is no fetch: the day stays unmarked for a retry.
    if (!cache_.Replace(TickerCacheText(response.body)))
        return false;
    store_.Write("TickerDate", clock_.Today());
    LoadTickerCache();
    return true;
}

}  // namespace portlight
