// The ticker on the bar: the two labels inside the ticker box, the 100 ms scroll timer, the
// feed download and the usage request on their workers. MainForm creates it at load and
// forwards its timer steps, due checks and commands; everything else happens here.
//
// The labels are small windows of their own that paint the model's caption, colour and
// underline; their window text is the caption, so tests can read what is shown. Results of
// the workers come back to a message-only window on the window's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/housekeeping.h"
#include "app/options.h"
#include "common/win32/handles_win.h"
#include "net/request_worker.h"
#include "ticker/ticker_cache_win.h"
#include "ticker/ticker_display.h"
#include "ticker/ticker_feed.h"
#include "ticker/usage_ping.h"

namespace portlight {

#define PORTLIGHT_TICKER_LABEL_CLASS "PortlightTickerLabel"
#define PORTLIGHT_TICKER_HOST_CLASS "PortlightTickerHost"
// Control ids of lblTicker(0) and lblTicker(1) inside the ticker box.
constexpr int kTickerLabelId0 = 1020;
constexpr int kTickerLabelId1 = 1021;

struct TickerSetup {
    HWND picTicker = nullptr;  // borrowed: the bar owns the box
    HFONT font = nullptr;      // borrowed: the bar's font; an underlined copy is made here
    COLORREF background = 0;
    int dpiX = 96;
    int dpiY = 96;
    int boxWidthTwips = 0;
    int boxHeightTwips = 0;
    std::string programFolder;  // where ticker.db lives
    ProfileStore* store = nullptr;
    Clock* clock = nullptr;
    std::function<bool()> online;     // IsOnline
    std::function<bool()> sendUsage;  // the "SendUsage" option
    std::function<void(const std::string& link)> openLink;
};

class TickerWin {
  public:
    explicit TickerWin(TickerSetup setup);
    ~TickerWin();
    TickerWin(const TickerWin&) = delete;
    TickerWin& operator=(const TickerWin&) = delete;

    void LoadTickerCache();
    void ShowNextTickerItem();
    void GetNewTickerText();
    void SendUsagePing();

    const TickerDisplay& display() const { return display_; }

  private:
    LRESULT HostMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);
    LRESULT LabelMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);
    void ShowLabels();
    void PaintLabel(HWND window, int index);
    void StartScrollTimer();

    TickerSetup setup_;
    TickerDisplay display_;
    FileTickerCache cache_;
    std::unique_ptr<TickerFeed> feed_;
    std::unique_ptr<UsagePing> ping_;
    RequestWorker feedWorker_;
    RequestWorker pingWorker_;
    HWND host_ = nullptr;
    HWND labels_[2] = {};
    // What the label windows show now, in the model's terms (blank and empty at creation),
    // and their window texts.
    std::array<TickerLabel, 2> shown_;
    std::string shownText_[2];
    win32::Font underlined_;
};

}  // namespace portlight
