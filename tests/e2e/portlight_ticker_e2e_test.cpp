// The ticker and the usage request against a local HTTP server (tests/http): the feed
// fetched into ticker.db and scrolled item by item, failed downloads that leave the cache
// alone, and the usage request with its exact address and headers, once per hour and never
// when turned off. The due checks run every second here (the bar's test seam) instead of
// every minute.
#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/housekeeping.h"
#include "bar_session.h"
#include "http_test_server.h"
#include "resource.h"
#include "ticker/endpoints.h"
#include "ticker/ticker_win.h"
#include "ticker/usage_ping.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

std::string LocalText(const char* pattern) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[16] = {};
    if (pattern[0] == 'd')
        snprintf(text, sizeof text, "%04u%02u%02u", t.wYear, t.wMonth, t.wDay);
    else
        snprintf(text, sizeof text, "%02u", t.wHour);
    return text;
}
std::string Today() {
    return LocalText("date");
}
std::string Hour() {
    return LocalText("hour");
}

// A settings.db value ("" when missing).
std::string Setting(const BarSession& session, const std::string& key) {
    char value[256] = {};
    GetPrivateProfileStringA("Main", key.c_str(), "", value, sizeof value,
                             session.Path("settings.db").c_str());
    return value;
}

HWND TickerLabel(const BarSession& session, int id) {
    for (HWND child : ChildWindows(session.bar())) {
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (GetDlgCtrlID(child) == id && std::string(cls) == PORTLIGHT_TICKER_LABEL_CLASS)
            return child;
    }
    return nullptr;
}

// Whether the label has come to rest inside the box (the scroll is over).
bool AtRest(HWND label) {
    RECT box = WindowRect(GetParent(label));
    RECT r = WindowRect(label);
    return r.top >= box.top && r.top <= box.top + 4;
}

// How many pixels of the window's area on screen have exactly this colour.
int PixelsOfColour(HWND window, COLORREF colour) {
    RECT r = WindowRect(window);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return 0;
    win32::ScreenDC screen = win32::GetScreenDC();
    win32::MemoryDC memory(CreateCompatibleDC(screen.get()));
    win32::Bitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    {
        win32::SelectObjectScope keep(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY);
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
    DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int count = 0;
    for (DWORD p : pixels)
        count += (p & 0xFFFFFF) == wanted;
    return count;
}

class TickerScenario : public ::testing::Test {
  protected:
    void SetUp() override { SetEnvironmentVariableA(portlight::kDueCheckTicksVariable, "1"); }
    void TearDown() override {
        for (const char* name : {portlight::kDueCheckTicksVariable, portlight::kVendorUrlVariable,
                                 portlight::kCounterUrlVariable})
            SetEnvironmentVariableA(name, nullptr);
    }
    void PointBarAt(const TestServer& server) {
        SetEnvironmentVariableA(portlight::kVendorUrlVariable, server.base().c_str());
        SetEnvironmentVariableA(portlight::kCounterUrlVariable, server.base().c_str());
    }
};

constexpr char kFeed[] =
    "Kestro news\r\n'Starts here'\r\n\r\nFirst item^http://127.0.0.1/first\r\n$Second item^\r\n";
constexpr char kNewFeed[] = "'Starts here'\r\nFresh news^";

// No "TickerDate": the first due check fetches the feed, ticker.db holds the body and a
// line break, and the ticker shows item 0, then item 1. "Update Ticker" fetches again at
// once and the ticker starts over with the new feed.
TEST_F(TickerScenario, FetchesTheFeedAndShowsItsItems) {
    TestServer server("{\"" + std::string(portlight::kTickerFeedPath) + "\": [{\"body\": " +
                      JsonText(kFeed) + "}, {\"body\": " + JsonText(kNewFeed) + "}]}");
    ASSERT_TRUE(server.started()) << "the test server did not start";
    PointBarAt(server);
    BarSession session("pl-ticker");
    session.WriteSettings("Autohide=False\r\nStartup=False\r\nActive=False\r\n");
    session.Start();
    ASSERT_TRUE(server.WaitForRequests(portlight::kTickerFeedPath, 1, 20s));
    ASSERT_TRUE(WaitFor([&] { return Setting(session, "TickerDate") == Today(); }, 10s));
    EXPECT_EQ(ReadTextFile(session.Path("ticker.db")), std::string(kFeed) + "\r\n");

    HWND incoming = TickerLabel(session, portlight::kTickerLabelId0);
    HWND outgoing = TickerLabel(session, portlight::kTickerLabelId1);
    ASSERT_NE(incoming, nullptr);
    ASSERT_NE(outgoing, nullptr);
    // Each item stays three seconds; a check that misses one meets it again on the next pass.
    ASSERT_TRUE(WaitFor(
        [&] {
            return WindowText(incoming) == "First item" && AtRest(incoming) &&
                   PixelsOfColour(incoming, RGB(255, 255, 128)) > 20 &&
                   PixelsOfColour(incoming, RGB(255, 0, 0)) == 0;
        },
        20s))
        << "item 0, at rest, in light yellow";
    Screenshot("portlight-ticker-item0");
    ASSERT_TRUE(WaitFor(
        [&] {
            return WindowText(incoming) == "Second item" && WindowText(outgoing) == "First item" &&
                   AtRest(incoming) && PixelsOfColour(incoming, RGB(255, 0, 0)) > 20;
        },
        20s))
        << "item 1, the highlighted one: red, without its $, item 0 going out above it";
    Screenshot("portlight-ticker-item1");

    session.RunCommand(static_cast<int>(portlight::Command::TickerUpdate));
    ASSERT_TRUE(server.WaitForRequests(portlight::kTickerFeedPath, 2, 10s));
    ASSERT_TRUE(WaitFor(
        [&] { return ReadTextFile(session.Path("ticker.db")) == std::string(kNewFeed) + "\r\n"; },
        10s));
    EXPECT_TRUE(WaitFor([&] { return WindowText(incoming) == "Fresh news"; }, 10s));
}

// A 404 and a body cut short leave ticker.db byte for byte, and "TickerDate" as it was;
// each due check tries again.
TEST_F(TickerScenario, FailedDownloadsKeepTheCache) {
    TestServer server("{\"" + std::string(portlight::kTickerFeedPath) +
                      "\": [{\"status\": 404, \"body\": \"<html>gone</html>\"}, {\"body\": " +
                      JsonText(std::string(kNewFeed) + std::string(200, 'x')) +
                      ", \"drop_after\": 20}, {\"status\": 404}]}");
    ASSERT_TRUE(server.started()) << "the test server did not start";
    PointBarAt(server);
    BarSession session("pl-ticker-fail");
    session.WriteSettings(
        "Autohide=False\r\nStartup=False\r\nActive=False\r\nTickerDate=20000101\r\n"
        "SendUsage=False\r\n");
    const std::string cache = "old header\r\n'Starts here'\r\nCached item^\r\n";
    WriteTextFile(session.Path("ticker.db"), cache);
    session.Start();
    // The third request shows the bar has dealt with the first two (one runs at a time).
    ASSERT_TRUE(server.WaitForRequests(portlight::kTickerFeedPath, 3, 30s));
    EXPECT_EQ(ReadTextFile(session.Path("ticker.db")), cache);
    EXPECT_EQ(Setting(session, "TickerDate"), "20000101");
    HWND incoming = TickerLabel(session, portlight::kTickerLabelId0);
    EXPECT_TRUE(WaitFor([&] { return WindowText(incoming) == "Cached item"; }, 10s));
}

// The usage request: exactly the counter path and query, the Referer and User-Agent lines
// once each, "StatsDate"/"StatsTime" stored, and no second request in the same hour however
// many checks pass. The hidden button sends one at once.
TEST_F(TickerScenario, UsageRequestOncePerHour) {
    TestServer server("{}");  // the feed answers 404, so every due check asks for it
    ASSERT_TRUE(server.started()) << "the test server did not start";
    PointBarAt(server);
    BarSession session("pl-ping");
    session.WriteSettings("Startup=False\r\nActive=False\r\n");
    std::string hourAtStart = Hour();
    session.Start();
    ASSERT_TRUE(server.WaitForRequests("/n", 1, 20s));
    ASSERT_TRUE(server.WaitForRequests(portlight::kTickerFeedPath, 4, 30s));
    if (Hour() != hourAtStart)
        GTEST_SKIP() << "the clock hour changed during the scenario";

    auto pings = server.Requests("/n");
    ASSERT_EQ(pings.size(), 1u) << "one request per hour";
    EXPECT_EQ(pings[0].path, std::string("/n?id=") + portlight::kCounterAccountId);
    EXPECT_EQ(pings[0].Count("Referer"), 1);
    EXPECT_EQ(pings[0].Header("Referer"), server.base() + "/program.htm");
    EXPECT_EQ(pings[0].Count("User-Agent"), 1);
    EXPECT_EQ(pings[0].Header("User-Agent"),
              "Mozilla/4.0 (compatible; MSIE 6.0; Windows XP; Win NT 5.1");
    EXPECT_EQ(Setting(session, "StatsDate"), Today());
    EXPECT_EQ(Setting(session, "StatsTime"), hourAtStart);

    session.Click(IDC_CMDSENDSTATS);
    EXPECT_TRUE(server.WaitForRequests("/n", 2, 10s)) << "the button sends even in the same hour";
}

// With "SendUsage" "False" no usage request goes out, neither from the due checks nor from
// the button.
TEST_F(TickerScenario, NoUsageRequestWhenTurnedOff) {
    TestServer server("{}");
    ASSERT_TRUE(server.started()) << "the test server did not start";
    PointBarAt(server);
    BarSession session("pl-noping");
    session.WriteSettings("Startup=False\r\nActive=False\r\nSendUsage=False\r\n");
    session.Start();
    ASSERT_TRUE(server.WaitForRequests(portlight::kTickerFeedPath, 2, 20s));
    session.Click(IDC_CMDSENDSTATS);
    size_t seen = server.Requests(portlight::kTickerFeedPath).size();
    ASSERT_TRUE(server.WaitForRequests(portlight::kTickerFeedPath, seen + 2, 20s));
    EXPECT_TRUE(server.Requests("/n").empty());
    EXPECT_EQ(Setting(session, "StatsDate"), "");
}

}  // namespace
}  // namespace e2e
