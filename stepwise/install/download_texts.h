// The texts the progress page shows while a file downloads: sizes, transfer rate, time left
// and the report a download worker hands to the page ("<percent>,<time left>,<rate>"). Plain
// text work over the string-table templates, so every rule is tested without a network.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace stepwise {

// The string-table templates 140 to 150, in that order; "%1" and "%2" stand for values.
struct DownloadTexts {
    std::string kbPerSec = "%1 KB/Sec";            // 140
    std::string bytes = "%1 Bytes";                // 141
    std::string kb = "%1 KB";                      // 142
    std::string mb = "%1 MB";                      // 143
    std::string ofTotal = "%1 of %2";              // 144
    std::string kbSize = "%1 KB";                  // 145
    std::string seconds = "%1 sec";                // 146
    std::string minutes = "%1 min";                // 147
    std::string minutesSeconds = "%1 min %2 sec";  // 148
    std::string timeAndCopied = "%1 (%2 copied)";  // 149
    std::string bytesPerSec = "%1 Bytes/Sec";      // 150
};

// Shown for the time left while it cannot be estimated (no length, or nothing received yet).
constexpr char kUnknownTimeLeft[] = "unknown";

// `text` with every "%1" replaced by `first` and every "%2" by `second`.
std::string FillTemplate(const std::string& text,
                         const std::string& first,
                         const std::string& second = "");

// Below 1024 bytes a byte count, up to 0xFFFFF bytes kilobytes with one decimal, above that
// megabytes with two ("1.67 MB").
std::string FormatSize(const DownloadTexts& t, std::uint64_t bytes);
// `kbPerSecond` at or above 10 without decimals, from 1 with two, below 1 as bytes per second
// without decimals (0.5 reads "512 Bytes/Sec").
std::string FormatRate(const DownloadTexts& t, double kbPerSecond);
// Whole seconds: below a minute "59 sec", then "1 min" or "1 min 1 sec".
std::string FormatTimeLeft(const DownloadTexts& t, std::uint64_t seconds);

// Builds the reports of one download from the bytes received so far. The rate is measured
// over at least a second; the time left extrapolates the average speed since the start.
class DownloadMeter {
  public:
    explicit DownloadMeter(DownloadTexts texts = {}) : texts_(std::move(texts)) {}

    // A new transfer begins at `nowMs` (a millisecond tick) with `alreadyHave` bytes on disk
    // (a resumed download): speed and time left count only what arrives from now on.
    void Start(std::uint64_t nowMs, std::uint64_t alreadyHave = 0);

    struct Report {
        int percent = 0;  // 0 while the total is unknown
        std::string timeLeft;
        std::string rate;  // empty until a second has passed
    };
    // `received` counts every byte of the file so far; `total` is the whole file's length
    // when the server announced one (a zero length counts as unknown).
    Report Measure(std::uint64_t nowMs, std::uint64_t received, std::optional<std::uint64_t> total);

  private:
    DownloadTexts texts_;
    std::uint64_t startMs_ = 0;
    std::uint64_t startBytes_ = 0;
    std::uint64_t lastRateMs_ = 0;
    std::uint64_t lastRateBytes_ = 0;
    std::string rate_;
};

// The text posted to the page: "%i,%s,%s" of percent, time left and rate.
std::string ReportText(const DownloadMeter::Report& report);
// The three fields of a posted report, split at its first two commas; nullopt when malformed.
std::optional<DownloadMeter::Report> ParseReportText(const std::string& text);

}  // namespace stepwise
