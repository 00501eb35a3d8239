#include "install/download_texts.h"

#include <gtest/gtest.h>

namespace stepwise {
namespace {

const DownloadTexts kTexts;

TEST(DownloadTexts, SizesInBytesKilobytesAndMegabytes) {
    EXPECT_EQ(FormatSize(kTexts, 0), "0 Bytes");
    EXPECT_EQ(FormatSize(kTexts, 1023), "1023 Bytes");
    EXPECT_EQ(FormatSize(kTexts, 1024), "1.0 KB");
    EXPECT_EQ(FormatSize(kTexts, 1536), "1.5 KB");
    EXPECT_EQ(FormatSize(kTexts, 0xFFFFF), "1024.0 KB") << "the last size read in kilobytes";
    EXPECT_EQ(FormatSize(kTexts, 0x100000), "1.00 MB");
    EXPECT_EQ(FormatSize(kTexts, 1750000), "1.67 MB");
    EXPECT_EQ(FormatSize(kTexts, 3500000), "3.34 MB");
}

TEST(DownloadTexts, RatesByMagnitude) {
    EXPECT_EQ(FormatRate(kTexts, 12.4), "12 KB/Sec");
    EXPECT_EQ(FormatRate(kTexts, 10), "10 KB/Sec");
    EXPECT_EQ(FormatRate(kTexts, 9.999), "10.00 KB/Sec") << "two decimals below 10";
    EXPECT_EQ(FormatRate(kTexts, 1), "1.00 KB/Sec");
    EXPECT_EQ(FormatRate(kTexts, 2.345), "2.35 KB/Sec");
    EXPECT_EQ(FormatRate(kTexts, 0.5), "512 Bytes/Sec");
    EXPECT_EQ(FormatRate(kTexts, 0), "0 Bytes/Sec");
}

TEST(DownloadTexts, TimeLeftAroundTheMinute) {
    EXPECT_EQ(FormatTimeLeft(kTexts, 0), "0 sec");
    EXPECT_EQ(FormatTimeLeft(kTexts, 59), "59 sec");
    EXPECT_EQ(FormatTimeLeft(kTexts, 60), "1 min");
    EXPECT_EQ(FormatTimeLeft(kTexts, 61), "1 min 1 sec");
    EXPECT_EQ(FormatTimeLeft(kTexts, 3600), "60 min");
    EXPECT_EQ(FormatTimeLeft(kTexts, 3725), "62 min 5 sec");
}

TEST(DownloadTexts, TemplatesFillBothMarkersOnce) {
    EXPECT_EQ(FillTemplate("%1 of %2", "a", "b"), "a of b");
    EXPECT_EQ(FillTemplate("%2 then %1", "x", "y"), "y then x");
    EXPECT_EQ(FillTemplate("%1", "%2", "no"), "%2") << "a value is not filled again";
    DownloadTexts other;
    other.seconds = "noch %1 s";
    EXPECT_EQ(FormatTimeLeft(other, 5), "noch 5 s");
}

// Half of a 3,500,000-byte file after 10 s at a steady pace: 10 s left, sizes in megabytes.
TEST(DownloadMeter, HalfDoneReportsPercentTimeLeftAndSizes) {
    DownloadMeter meter;
    meter.Start(0);
    DownloadMeter::Report r = meter.Measure(10000, 1750000, 3500000);
    EXPECT_EQ(r.percent, 50);
    EXPECT_EQ(r.timeLeft, "10 sec (1.67 MB of 3.34 MB copied)");
    EXPECT_EQ(r.rate, "175 KB/Sec") << "bytes per millisecond, taken as KB/s";
    EXPECT_EQ(ReportText(r), "50,10 sec (1.67 MB of 3.34 MB copied),175 KB/Sec");
}

// The rate is measured over at least a second and kept in between.
TEST(DownloadMeter, RateEverySecondOnly) {
    DownloadMeter meter;
    meter.Start(0);
    EXPECT_EQ(meter.Measure(500, 1000, 100000).rate, "") << "no second has passed yet";
    EXPECT_EQ(meter.Measure(1000, 2000, 100000).rate, "2.00 KB/Sec");
    EXPECT_EQ(meter.Measure(1500, 50000, 100000).rate, "2.00 KB/Sec") << "kept until 2000 ms";
    EXPECT_EQ(meter.Measure(2000, 2500, 100000).rate, "512 Bytes/Sec") << "0.5 KB/s";
}

// Without a length (or with 0) nothing is divided by it: the bytes so far show, the time
// left is unknown and the bar stays at 0.
TEST(DownloadMeter, NoLengthReadsUnknown) {
    DownloadMeter meter;
    meter.Start(0);
    DownloadMeter::Report r = meter.Measure(2000, 1536, std::nullopt);
    EXPECT_EQ(r.percent, 0);
    EXPECT_EQ(r.timeLeft, "unknown (1.5 KB copied)");
    r = meter.Measure(3000, 2048, 0);
    EXPECT_EQ(r.percent, 0);
    EXPECT_EQ(r.timeLeft, "unknown (2.0 KB copied)");
    r = meter.Measure(0, 0, 1000);
    EXPECT_EQ(r.timeLeft, "unknown (0 Bytes of 1000 Bytes copied)") << "nothing received yet";
}

// A resumed download estimates from what arrives now, not from the bytes already on disk.
TEST(DownloadMeter, ResumedTransferCountsOnlyNewBytes) {
    DownloadMeter meter;
    meter.Start(0, 900000);
    DownloadMeter::Report r = meter.Measure(1000, 1000000, 1100000);
    EXPECT_EQ(r.percent, 90);
    EXPECT_EQ(r.timeLeft, "1 sec (976.6 KB of 1.05 MB copied)");
    EXPECT_EQ(r.rate, "100 KB/Sec");
    EXPECT_EQ(meter.Measure(1000, 1200000, 1100000).percent, 100) << "never above 100";
}

TEST(DownloadReport, SplitsAtTheFirstTwoCommas) {
    auto r = ParseReportText("42,1 min (1.0 KB of 2.0 KB copied),3.50 KB/Sec");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->percent, 42);
    EXPECT_EQ(r->timeLeft, "1 min (1.0 KB of 2.0 KB copied)");
    EXPECT_EQ(r->rate, "3.50 KB/Sec");
    r = ParseReportText("0,unknown (0 Bytes copied),");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->rate, "");
    for (const char* bad : {"", "50", "50,x", ",a,b", "101,a,b", "-1,a,b", "5x,a,b"})
        EXPECT_FALSE(ParseReportText(bad)) << bad;
}

}  // namespace
}  // namespace stepwise
