#include "display/report_sources_win.h"

#include <gtest/gtest.h>

#include "common/win32/handles_win.h"
#include "sample_process.h"

namespace portlight {
namespace {

std::string TempFile(const char* name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// The times come back as set, in UTC or converted to local time; a file that cannot be opened
// gives -1 and leaves the outputs alone.
TEST(FileTimesOf, ReadsTimesOrLeavesOutputs) {
    const std::string path = TempFile("portlight-file-times.txt");
    {
        win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid());
        // 2020-01-01 00:00:00, 2021-06-15 12:30:00 and 2022-12-31 23:59:59 UTC.
        const uint64_t ticks[3] = {132223104000000000ull, 132682338000000000ull,
                                   133170047990000000ull};
        FILETIME t[3];
        for (int i = 0; i < 3; ++i)
            t[i] = {static_cast<DWORD>(ticks[i]), static_cast<DWORD>(ticks[i] >> 32)};
        ASSERT_TRUE(SetFileTime(file.get(), &t[0], &t[1], &t[2]));
    }
    DateTime created, accessed, written;
    ASSERT_EQ(FileTimesOf(path, created, accessed, written, false), 0);
    // Linux file systems under Wine keep no settable creation time; the time read is the
    // file's own, which is later than the epoch.
    EXPECT_GT(created.year, 1601);
    EXPECT_EQ(accessed, (DateTime{2021, 6, 15, 12, 30, 0}));
    EXPECT_EQ(written, (DateTime{2022, 12, 31, 23, 59, 59}));

    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    DateTime localCreated, localAccessed, localWritten;
    ASSERT_EQ(FileTimesOf(path, localCreated, localAccessed, localWritten, true), 0);
    if (zone.Bias == 0) {
        EXPECT_EQ(localWritten, written);
    }

    std::optional<ReportFileTimes> text = ReportFileTimesOf(path);
    ASSERT_TRUE(text);
    EXPECT_NE(text->accessed.find("2021"), std::string::npos) << text->accessed;
    EXPECT_NE(text->written.find("2022"), std::string::npos) << text->written;
    DeleteFileA(path.c_str());

    DateTime untouched{1999, 9, 9, 9, 9, 9};
    DateTime a = untouched, b = untouched, c = untouched;
    EXPECT_EQ(FileTimesOf(path, a, b, c, false), -1);
    EXPECT_EQ(a, untouched);
    EXPECT_EQ(c, untouched);
    EXPECT_FALSE(ReportFileTimesOf(path));
}

// General date format: the date alone at midnight, date and time otherwise.
TEST(GeneralDateText, DateAndTime) {
    std::string midnight = GeneralDateText({1601, 1, 1, 0, 0, 0});
    EXPECT_NE(midnight.find("1601"), std::string::npos) << midnight;
    EXPECT_EQ(midnight.find(':'), std::string::npos) << midnight;
    std::string afternoon = GeneralDateText({2020, 1, 2, 15, 4, 5});
    EXPECT_NE(afternoon.find("2020"), std::string::npos) << afternoon;
    EXPECT_NE(afternoon.find(":04:05"), std::string::npos) << afternoon;
    EXPECT_EQ(GeneralDateText({60056, 5, 28, 5, 36, 10}), "");
}

// The sample program's version values reach the report.
TEST(ReportVersionOf, SampleProgram) {
    ReportVersion v = ReportVersionOf(samples::BesideThisProgram("portlight-sample-app.exe"));
    EXPECT_EQ(v.ProductName, "Sample Courier Suite");
    EXPECT_EQ(v.OriginalFileName, "portlight-sample-app.exe");
    EXPECT_EQ(v.FileType, "Application");
    EXPECT_EQ(v.Language, 1033u);
    EXPECT_EQ(v.CodePage, 1252u);
    ReportVersion none = ReportVersionOf(samples::BesideThisProgram("portlight-sample-plain.exe"));
    EXPECT_EQ(none.ProductName, "");
    EXPECT_EQ(none.Language, 0u);
}

}  // namespace
}  // namespace portlight
