#include "install/download_queue_win.h"

#include <memory>

#include "res/resource.h"

namespace stepwise {

namespace {

// Reports go out at most this often (and at every whole percent): a fast transfer would
// otherwise post one per block and could fill the window's message queue.
constexpr DWORD kReportIntervalMs = 200;

void LoadText(HINSTANCE instance, UINT id, std::string& text) {
    char buffer[128];
    int length = LoadStringA(instance, id, buffer, sizeof buffer);
    if (length > 0)
        text.assign(buffer, static_cast<std::size_t>(length));
}

}  // namespace

DownloadTexts LoadDownloadTexts(HINSTANCE instance) {
    DownloadTexts t;
    LoadText(instance, IDS_DOWNLOAD_KB_PER_SEC, t.kbPerSec);
    LoadText(instance, IDS_DOWNLOAD_BYTES, t.bytes);
    LoadText(instance, IDS_DOWNLOAD_KB, t.kb);
    LoadText(instance, IDS_DOWNLOAD_MB, t.mb);
    LoadText(instance, IDS_DOWNLOAD_OF_TOTAL, t.ofTotal);
    LoadText(instance, IDS_DOWNLOAD_KB_SIZE, t.kbSize);
    LoadText(instance, IDS_DOWNLOAD_SECONDS, t.seconds);
    LoadText(instance, IDS_DOWNLOAD_MINUTES, t.minutes);
    LoadText(instance, IDS_DOWNLOAD_MINUTES_SECONDS, t.minutesSeconds);
    LoadText(instance, IDS_DOWNLOAD_TIME_AND_COPIED, t.timeAndCopied);
    LoadText(instance, IDS_DOWNLOAD_BYTES_PER_SEC, t.bytesPerSec);
    return t;
}

DownloadQueue::DownloadQueue(HWND window, InstallationProgress& page, DownloadTexts texts)
    : window_(window), page_(page), texts_(std::move(texts)) {}

DownloadQueue::~DownloadQueue() {
    stop_ = true;
    JoinWorker();
    KillTimer(window_, kDownloadWatchTimer);
    KillTimer(window_, kNextDownloadTimer);
    // Reports still queued own their texts.
    MSG message;
    while (PeekMessageA(&message, window_, kDownloadProgressMessage, kDownloadProgressMessage,
                        PM_REMOVE))
        delete reinterpret_cast<std::string*>(message.lParam);
}

void DownloadQueue::Start(DownloadBatch batch,
                          std::function<void(const std::string& path)> fetched,
                          std::function<void()> done) {
    queue_.assign(batch.entries.begin(), batch.entries.end());
    barPosition_ = batch.barPosition;
    barRange_ = batch.barRange;
    fetched_ = std::move(fetched);
    done_ = std::move(done);
    if (queue_.empty()) {
        if (done_)
            done_();
        return;
    }
    StartHead();
}

DownloadRequest DownloadQueue::HeadRequest() const {
    DownloadRequest request;
    request.address = queue_.front().address;
    request.folder = queue_.front().folder;
    request.agent = agent;
    return request;
}

void DownloadQueue::StartHead() {
    finished_ = false;
    page_.BeginDownload(queue_.front().address);
    SetTimer(window_, kDownloadWatchTimer, watchMs, nullptr);
    JoinWorker();
    stop_ = false;
    worker_ = std::thread([this, request = HeadRequest()] { Work(request); });
}

void DownloadQueue::Work(DownloadRequest request) {
    DownloadMeter meter(texts_);
    const DWORD start = GetTickCount();
    DWORD lastPost = start;
    int lastPercent = -1;
    bool first = true;
    auto report = [&](std::uint64_t received, std::optional<std::uint64_t> total) {
        DWORD elapsed = GetTickCount() - start;  // wraps safely: unsigned difference
        if (first) {
            meter.Start(0, received);
            first = false;
        }
        DownloadMeter::Report r = meter.Measure(elapsed, received, total);
        DWORD now = GetTickCount();
        if (r.percent == lastPercent && now - lastPost < kReportIntervalMs)
            return;
        lastPercent = r.percent;
        lastPost = now;
        auto text = std::make_unique<std::string>(ReportText(r));
        if (PostMessageA(window_, kDownloadProgressMessage, 0,
                         reinterpret_cast<LPARAM>(text.get())))
            text.release();  // the window deletes it
    };
    result_ = DownloadFile(request, resume_, report, &stop_);
    PostMessageA(window_, result_.ok ? kDownloadFinishedMessage : kDownloadFailedMessage, 0, 0);
}

void DownloadQueue::JoinWorker() {
    if (worker_.joinable())
        worker_.join();
}

void DownloadQueue::OnFailed() {
    JoinWorker();
    KillTimer(window_, kDownloadWatchTimer);
    if (askRetry()) {
        StartHead();
        return;
    }
    DiscardPartialDownload(HeadRequest(), resume_);
    finished_ = true;
    SetTimer(window_, kDownloadWatchTimer, watchMs, nullptr);
}

void DownloadQueue::OnWatchTimer() {
    if (!finished_ || queue_.empty())
        return;
    finished_ = false;
    page_.SetBar(++barPosition_, barRange_);
    page_.ClearDownloadTexts();
    queue_.pop_front();
    if (!queue_.empty()) {
        SetTimer(window_, kNextDownloadTimer, nextDelayMs, nullptr);
        return;
    }
    KillTimer(window_, kDownloadWatchTimer);
    page_.SetBar(barRange_ - 1, barRange_);
    if (done_)
        done_();
}

bool DownloadQueue::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kDownloadProgressMessage: {
            std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
            if (std::optional<DownloadMeter::Report> r = ParseReportText(*text))
                page_.ShowDownloadReport(r->percent, r->timeLeft, r->rate);
            return true;
        }
        case kDownloadFinishedMessage:
            JoinWorker();
            if (result_.ok && fetched_)
                fetched_(result_.path);
            finished_ = true;
            return true;
        case kDownloadFailedMessage:
            OnFailed();
            return true;
        case WM_TIMER:
            if (wParam == kDownloadWatchTimer) {
                OnWatchTimer();
                return true;
            }
            if (wParam == kNextDownloadTimer) {
                KillTimer(window_, kNextDownloadTimer);
                if (!queue_.empty())
                    StartHead();
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace stepwise
