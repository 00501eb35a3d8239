#include "install/download_texts.h"

#include <algorithm>
#include <cstdio>

namespace stepwise {

namespace {

constexpr std::uint64_t kKilobyte = 1024;
constexpr std::uint64_t kLargestKilobyteSize = 0xFFFFF;  // beyond it sizes read in megabytes
constexpr std::uint64_t kRateIntervalMs = 1000;

std::string Printf(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string ReplaceAll(std::string text, const std::string& marker, const std::string& value) {
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + value.size()))
        text.replace(at, marker.size(), value);
    return text;
}

}  // namespace

std::string FillTemplate(const std::string& text,
                         const std::string& first,
                         const std::string& second) {
    // "%2" first: a value put in for "%1" may itself hold "%2".
    return ReplaceAll(ReplaceAll(text, "%2", second), "%1", first);
}

std::string FormatSize(const DownloadTexts& t, std::uint64_t bytes) {
    if (bytes < kKilobyte)
        return FillTemplate(t.bytes, std::to_string(bytes));
    if (bytes <= kLargestKilobyteSize)
        return FillTemplate(t.kbSize, Printf("%0.1f", static_cast<double>(bytes) / kKilobyte));
    return FillTemplate(t.mb,
                        Printf("%0.2f", static_cast<double>(bytes) / (kKilobyte * kKilobyte)));
}

std::string FormatRate(const DownloadTexts& t, double kbPerSecond) {
    if (kbPerSecond >= 10)
        return FillTemplate(t.kbPerSec, Printf("%0.0f", kbPerSecond));
    if (kbPerSecond >= 1)
        return FillTemplate(t.kbPerSec, Printf("%0.2f", kbPerSecond));
    return FillTemplate(t.bytesPerSec, Printf("%0.0f", kbPerSecond * 1024));
}

std::string FormatTimeLeft(const DownloadTexts& t, std::uint64_t seconds) {
    if (seconds < 60)
        return FillTemplate(t.seconds, std::to_string(seconds));
    std::string minutes = std::to_string(seconds / 60);
    if (seconds % 60 == 0)
        return FillTemplate(t.minutes, minutes);
    return FillTemplate(t.minutesSeconds, minutes, std::to_string(seconds % 60));
}

void DownloadMeter::Start(std::uint64_t nowMs, std::uint64_t alreadyHave) {
    startMs_ = lastRateMs_ = nowMs;
    startBytes_ = lastRateBytes_ = alreadyHave;
    rate_.clear();
}

DownloadMeter::Report DownloadMeter::Measure(std::uint64_t nowMs,
                                             std::uint64_t received,
                                             std::optional<std::uint64_t> total) {
    // A zero length leaves nothing to divide by: shown like a missing one.
    const std::uint64_t length = total.value_or(0);
    Report report;
    if (length > 0)
        report.percent = static_cast<int>(std::min(received, length) * 100 / length);

    std::uint64_t sinceRate = nowMs - lastRateMs_;
    if (sinceRate >= kRateIntervalMs) {
        // Bytes per millisecond, taken as kilobytes per second.
        double kbPerSecond =
            static_cast<double>(received - std::min(received, lastRateBytes_)) / sinceRate;
        rate_ = FormatRate(texts_, kbPerSecond);
        lastRateMs_ = nowMs;
        lastRateBytes_ = received;
    }
    report.rate = rate_;

    std::uint64_t arrived = received - std::min(received, startBytes_);
    std::string copied = length > 0 ? FillTemplate(texts_.ofTotal, FormatSize(texts_, received),
                                                   FormatSize(texts_, length))
                                    : FormatSize(texts_, received);
    std::string timeLeft = kUnknownTimeLeft;
    if (length > 0 && arrived > 0) {
        std::uint64_t remaining = length - std::min(received, length);
        double seconds = static_cast<double>(nowMs - startMs_) / arrived * remaining * 0.001;
        timeLeft = FormatTimeLeft(texts_, static_cast<std::uint64_t>(seconds));
    }
    report.timeLeft = FillTemplate(texts_.timeAndCopied, timeLeft, copied);
    return report;
}

std::string ReportText(const DownloadMeter::Report& report) {
    return std::to_string(report.percent) + "," + report.timeLeft + "," + report.rate;
}

std::optional<DownloadMeter::Report> ParseReportText(const std::string& text) {
    std::size_t first = text.find(',');
    if (first == std::string::npos)
        return std::nullopt;
    std::size_t second = text.find(',', first + 1);
    if (second == std::string::npos)
        return std::nullopt;
    std::string percent = text.substr(0, first);
    if (percent.empty() || percent.size() > 3 ||
        percent.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    DownloadMeter::Report report;
    report.percent = std::stoi(percent);
    if (report.percent > 100)
        return std::nullopt;
    report.timeLeft = text.substr(first + 1, second - first - 1);
    report.rate = text.substr(second + 1);
    return report;
}

}  // namespace stepwise
