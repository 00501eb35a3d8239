#include "ticker/ticker_win.h"

#include "common/net/http_client_win.h"
#include "common/win32/window_win.h"
#include "display/twips.h"
#include "ticker/endpoints.h"

namespace portlight {

namespace {

// Private messages and the timer of the ticker's message-only window.
constexpr UINT kFeedFetchedMessage = WM_APP + 20;  // lParam owns a net::HttpResponse
constexpr UINT_PTR kTickerTimerId = 1;             // TickerTimer
constexpr UINT kTickerTimerMilliseconds = 100;
// Caption inset from the label's left edge, in pixels.
constexpr int kCaptionInsetPixels = 2;

void RegisterClasses(HINSTANCE instance, WNDPROC hostProc, WNDPROC labelProc) {
    WNDCLASSA host = {};
    host.lpfnWndProc = hostProc;
    host.hInstance = instance;
    host.lpszClassName = PORTLIGHT_TICKER_HOST_CLASS;
    RegisterClassA(&host);  // fails harmlessly when already registered
    WNDCLASSA label = {};
    label.lpfnWndProc = labelProc;
    label.hInstance = instance;
    label.hCursor = LoadCursor(nullptr, IDC_ARROW);
    label.lpszClassName = PORTLIGHT_TICKER_LABEL_CLASS;
    RegisterClassA(&label);
}

}  // namespace

TickerWin::TickerWin(TickerSetup setup) : setup_(std::move(setup)), cache_(setup_.programFolder) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterClasses(instance, win32::WindowProc<TickerWin, &TickerWin::HostMessage>,
                    win32::WindowProc<TickerWin, &TickerWin::LabelMessage>);
    host_ = CreateWindowExA(0, PORTLIGHT_TICKER_HOST_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                            nullptr, instance, this);
    for (int i = 0; i < 2; ++i)
        labels_[i] = CreateWindowExA(0, PORTLIGHT_TICKER_LABEL_CLASS, "", WS_CHILD | WS_VISIBLE, 0,
                                     0, 0, 0, setup_.picTicker,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(
                                         i == 0 ? kTickerLabelId0 : kTickerLabelId1)),
                                     instance, this);
    LOGFONTA font = {};
    if (setup_.font && GetObjectA(setup_.font, sizeof font, &font)) {
        font.lfUnderline = TRUE;
        underlined_.reset(CreateFontIndirectA(&font));
    }

    HWND host = host_;
    feed_ = std::make_unique<TickerFeed>(
        display_, cache_, *setup_.store, *setup_.clock, [this, host](const std::string& url) {
            return feedWorker_.Start([host, url] {
                auto response = std::make_unique<net::HttpResponse>(net::HttpGet(url));
                if (PostMessageA(host, kFeedFetchedMessage, 0,
                                 reinterpret_cast<LPARAM>(response.get())))
                    response.release();  // the window owns it now
            });
        });
    feed_->feedUrl = VendorBaseUrl() + kTickerFeedPath;
    feed_->boxWidthTwips = setup_.boxWidthTwips;
    feed_->boxHeightTwips = setup_.boxHeightTwips;

    ping_ = std::make_unique<UsagePing>(
        *setup_.store, *setup_.clock,
        [this](const std::string& url, const std::string& headers) {
            pingWorker_.Start([url, headers] {
                net::HttpGetOptions options;
                options.extraHeaders = headers;
                net::HttpGet(url, options);  // the answer is not read
            });
        },
        [this] { return pingWorker_.InFlight(); });
    ping_->counterUrl = CounterUrl(CounterBaseUrl());
    ping_->headerBlock = UsageHeaderBlock(VendorBaseUrl());
}

TickerWin::~TickerWin() {
    for (HWND label : labels_)
        if (label)
            DestroyWindow(label);
    if (host_)
        DestroyWindow(host_);
}

void TickerWin::LoadTickerCache() {
    feed_->LoadTickerCache();
    ShowLabels();
}

void TickerWin::ShowNextTickerItem() {
    display_.ShowNextTickerItem();
    ShowLabels();
    if (display_.TickerTimerEnabled)
        StartScrollTimer();
}

void TickerWin::GetNewTickerText() {
    feed_->GetNewTickerText(setup_.online && setup_.online());
}

void TickerWin::SendUsagePing() {
    ping_->SendUsagePing(setup_.online && setup_.online(), !setup_.sendUsage || setup_.sendUsage());
}

void TickerWin::StartScrollTimer() {
    if (host_)
        SetTimer(host_, kTickerTimerId, kTickerTimerMilliseconds, nullptr);
}

void TickerWin::ShowLabels() {
    // The 100 ms scroll runs every three seconds even when nothing shows: only labels whose
    // look changed are moved and repainted, so a scroll of blank labels costs no window work.
    const std::array<bool, 2> update = LabelsToUpdate(shown_, display_.lblTicker);
    for (int i = 0; i < 2; ++i) {
        const TickerLabel& l = display_.lblTicker[i];
        HWND label = labels_[i];
        if (!label)
            continue;
        // The window text is the caption (tests and accessibility tools read it); setting it
        // repaints nothing.
        if (l.Caption != shownText_[i]) {
            SetWindowTextA(label, l.Caption.c_str());
            shownText_[i] = l.Caption;
        }
        if (!update[i])
            continue;
        shown_[i] = l;
        MoveWindow(label, TwipsToPixels(l.Left, setup_.dpiX), TwipsToPixels(l.Top, setup_.dpiY),
                   TwipsToPixels(l.Width, setup_.dpiX), TwipsToPixels(l.Height, setup_.dpiY), TRUE);
        InvalidateRect(label, nullptr, TRUE);
    }
}

void TickerWin::PaintLabel(HWND window, int index) {
    win32::PaintScope paint(window);
    const TickerLabel& l = display_.lblTicker[index];
    RECT r;
    GetClientRect(window, &r);
    win32::Brush background(CreateSolidBrush(setup_.background));
    FillRect(paint.dc(), &r, background.get());
    HFONT font = l.Underline && underlined_ ? underlined_.get() : setup_.font;
    win32::SelectObjectScope keep(paint.dc(), font);
    SetBkMode(paint.dc(), TRANSPARENT);
    SetTextColor(paint.dc(), static_cast<COLORREF>(l.ForeColor));
    r.left += kCaptionInsetPixels;
    DrawTextA(paint.dc(), l.Caption.c_str(), static_cast<int>(l.Caption.size()), &r,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT TickerWin::LabelMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    int index = GetDlgCtrlID(window) == kTickerLabelId0 ? 0 : 1;
    switch (message) {
        case WM_PAINT:
            PaintLabel(window, index);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills the whole label
        case WM_SETCURSOR:
            if (!display_.LinkToOpen(index).empty()) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_LBUTTONUP: {
            std::string link = display_.LinkToOpen(index);
            if (!link.empty() && setup_.openLink)
                setup_.openLink(link);
            return 0;
        }
        case WM_NCDESTROY:
            for (HWND& label : labels_)
                if (label == window)
                    label = nullptr;
            break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

LRESULT TickerWin::HostMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_TIMER:
            if (wp == kTickerTimerId) {
                display_.TickerTimerTick();
                ShowLabels();
                if (!display_.TickerTimerEnabled)
                    KillTimer(window, kTickerTimerId);
            }
            return 0;
        case kFeedFetchedMessage: {
            std::unique_ptr<net::HttpResponse> response(reinterpret_cast<net::HttpResponse*>(lp));
            if (feed_->OnFeedFetched(*response))
                ShowLabels();
            return 0;
        }
        case WM_NCDESTROY:
            host_ = nullptr;
            break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

}  // namespace portlight
