// ExtractionNotify on real files under Wine: destinations, truncation, stored times and
// attributes, refused names and the next-cabinet lookup.
#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cab/cab_writer.h"
#include "extract/dos_time.h"
#include "extract/extraction_worker_win.h"

namespace stepwise {
namespace {

std::string TempPath() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class NotifyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = TempPath() + "stepwise-notify-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        job.extractionFolder = folder;
        job.setupFolder = folder.substr(0, folder.size() - 1);
        job.promptNextDisk = &NotifyTest::Prompt;
        prompts = 0;
    }
    void TearDown() override {
        for (const char* name : {"a.txt", "b.txt", "next.cab"}) {
            SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((folder + name).c_str());
        }
        RemoveDirectoryA(folder.c_str());
    }

    // Writes `content` through the notifications, as the decoder would.
    intptr_t Extract(const char* name,
                     const std::string& content,
                     uint16_t date,
                     uint16_t time,
                     uint16_t attributes) {
        cab::FdiNotification n;
        n.user = &job;
        n.name1 = name;
        n.size = static_cast<int32_t>(content.size());
        n.attributes = attributes;
        intptr_t handle = ExtractionNotify(cab::FdiNotificationType::CopyFileRequest, &n);
        if (handle == -1 || handle == 0)
            return handle;
        EXPECT_EQ(_write(static_cast<int>(handle), content.data(), content.size()),
                  static_cast<int>(content.size()));
        n.handle = handle;
        n.date = date;
        n.time = time;
        return ExtractionNotify(cab::FdiNotificationType::CloseFileInfo, &n);
    }

    static bool Prompt(const std::string& path) {
        ++prompts;
        lastPrompt = path;
        return true;
    }

    std::string folder;
    ExtractionJob job;
    static inline int prompts = 0;
    static inline std::string lastPrompt;
};

constexpr uint16_t kDate = ((2018 - 1980) << 9) | (11 << 5) | 23;  // 2018-11-23
constexpr uint16_t kTime = (14 << 11) | (5 << 5) | (42 / 2);       // 14:05:42

// A read-only stored file keeps its local time as creation and write time and its
// read-only bit; other attribute bits are masked with 0x27.
TEST_F(NotifyTest, StoredTimeAndAttributes) {
    ASSERT_EQ(Extract("a.txt", "hello", kDate, kTime, 0x01 | 0x40 | 0x80 * 0), 1);
    std::string path = folder + "a.txt";
    EXPECT_EQ(ReadAll(path), "hello");
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | 0x40),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    for (const FILETIME& t : {data.ftLastWriteTime, data.ftCreationTime}) {
        FILETIME local;
        SYSTEMTIME s;
        FileTimeToLocalFileTime(&t, &local);
        FileTimeToSystemTime(&local, &s);
        EXPECT_EQ(s.wYear, 2018);
        EXPECT_EQ(s.wMonth, 11);
        EXPECT_EQ(s.wDay, 23);
        EXPECT_EQ(s.wHour, 14);
        EXPECT_EQ(s.wMinute, 5);
        EXPECT_EQ(s.wSecond, 42);
    }

    // Hidden and archive bits arrive; an impossible stamp leaves the time alone.
    ASSERT_EQ(Extract("b.txt", "x", 0, 0, 0x22), 1);
    DWORD attributes = GetFileAttributesA((folder + "b.txt").c_str());
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY);
}

// An existing destination, even read-only and longer, is replaced and truncated.
TEST_F(NotifyTest, ReplacesAndTruncatesExistingFile) {
    ASSERT_EQ(Extract("a.txt", std::string(1000, 'o'), kDate, kTime, 0x01), 1);
    ASSERT_EQ(Extract("a.txt", "new", kDate, kTime, 0x20), 1);
    EXPECT_EQ(ReadAll(folder + "a.txt"), "new");
    EXPECT_FALSE(GetFileAttributesA((folder + "a.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
}

// A program without standard handles gets descriptor 0 for its first file; the file must
// still be written, not skipped (0 means "skip" to the decoder).
// The extraction folder survives between runs. Windows refuses to create over a hidden or
// system file with normal attributes, and to open a read-only one (Wine allows the first):
// the file left by the first run must be plain by the time the second run opens it.
DWORD g_attributesAtOpen = 0;
int RecordAttributesAndOpen(const wchar_t* path, int flags, int mode) {
    g_attributesAtOpen = GetFileAttributesW(path);
    return _wopen(path, flags, mode);
}

TEST_F(NotifyTest, AFileFromAnEarlierRunIsMadePlainBeforeItIsOpened) {
    const uint16_t hiddenSystemReadOnly = 0x01 | 0x02 | 0x04;
    ASSERT_EQ(Extract("a.txt", "first run", 0x5921, 0x6000, hiddenSystemReadOnly), 1);
    ASSERT_NE(GetFileAttributesA((folder + "a.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    job.openFile = RecordAttributesAndOpen;
    g_attributesAtOpen = INVALID_FILE_ATTRIBUTES;
    ASSERT_EQ(Extract("a.txt", "second", 0x5921, 0x6000, hiddenSystemReadOnly), 1);
    ASSERT_NE(g_attributesAtOpen, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(g_attributesAtOpen &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              0u);
    EXPECT_EQ(ReadAll(folder + "a.txt"), "second");
}

TEST_F(NotifyTest, FreeDescriptorZeroIsNotTakenForSkip) {
    int savedStdin = _dup(0);
    _close(0);
    intptr_t result = Extract("a.txt", "written", kDate, kTime, 0x20);
    if (savedStdin != -1) {
        _dup2(savedStdin, 0);
        _close(savedStdin);
    }
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ReadAll(folder + "a.txt"), "written");
}

// Names that would leave the extraction folder abort the copy and write nothing.
TEST_F(NotifyTest, RefusesNamesOutsideFolder) {
    std::string outside = TempPath() + "stepwise-escape.txt";
    DeleteFileA(outside.c_str());
    for (const char* name :
         {"..\\stepwise-escape.txt", "../stepwise-escape.txt", "C:\\stepwise-escape.txt",
          "\\stepwise-escape.txt", "a.txt:stream", "CON", ""}) {
        EXPECT_EQ(Extract(name, "escape", kDate, kTime, 0), -1) << name;
    }
    EXPECT_EQ(GetFileAttributesA(outside.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Files that share bytes in a folder are open at the same time: each is stamped with its own
// time and attributes when it is closed, whatever else is open.
TEST_F(NotifyTest, FilesOpenTogetherKeepTheirOwnStamps) {
    cab::FdiNotification a, b;
    a.user = b.user = &job;
    a.name1 = "a.txt";
    b.name1 = "b.txt";
    a.attributes = 0x01;
    b.attributes = 0x20;
    const intptr_t ha = ExtractionNotify(cab::FdiNotificationType::CopyFileRequest, &a);
    const intptr_t hb = ExtractionNotify(cab::FdiNotificationType::CopyFileRequest, &b);
    ASSERT_GT(ha, 0);
    ASSERT_GT(hb, 0);
    EXPECT_EQ(_write(static_cast<int>(ha), "aa", 2), 2);
    EXPECT_EQ(_write(static_cast<int>(hb), "bbb", 3), 3);
    a.handle = ha;
    a.date = kDate;
    a.time = kTime;
    b.handle = hb;
    b.date = 0x5921;  // 2024-09-01
    b.time = 0x6000;
    EXPECT_EQ(ExtractionNotify(cab::FdiNotificationType::CloseFileInfo, &a), 1);
    EXPECT_EQ(ExtractionNotify(cab::FdiNotificationType::CloseFileInfo, &b), 1);
    EXPECT_EQ(ReadAll(folder + "a.txt"), "aa");
    EXPECT_EQ(ReadAll(folder + "b.txt"), "bbb");
    EXPECT_TRUE(GetFileAttributesA((folder + "a.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesA((folder + "b.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    for (const auto& [name, year] : {std::pair{"a.txt", 2018}, std::pair{"b.txt", 2024}}) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExA((folder + name).c_str(), GetFileExInfoStandard, &data));
        FILETIME local;
        SYSTEMTIME st;
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToSystemTime(&local, &st);
        EXPECT_EQ(st.wYear, year) << name;
    }
}

// The worker's whole path on a cabinet of several folders, decoded on several threads:
// every file arrives whole, with its own stored time.
TEST_F(NotifyTest, ExtractsEveryFolderOfAMultiFolderCabinet) {
    cab::CabinetWriter writer("multi.cab", {.maxFolderSize = 150000});
    std::vector<std::string> contents;
    for (int i = 0; i < 6; ++i) {
        std::string text;
        for (int line = 0; text.size() < 100000; ++line)
            text += "file " + std::to_string(i) + " line " + std::to_string(line * (i + 3)) + "\n";
        contents.push_back(text);
        const uint16_t date = static_cast<uint16_t>(((2010 + i - 1980) << 9) | (1 << 5) | 2);
        ASSERT_FALSE(writer.AddFile({"m" + std::to_string(i) + ".txt", date, 0x6000, 0x20},
                                    reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }
    cab::DirectoryCabinetSink sink(folder);
    ASSERT_FALSE(writer.Finish(sink));
    const std::string out = folder + "out\\";
    CreateDirectoryA(out.c_str(), nullptr);
    ExtractionJob multi{out, folder, &NotifyTest::Prompt};
    EXPECT_TRUE(ExtractCabinet(folder + "multi.cab", multi));
    for (int i = 0; i < 6; ++i) {
        const std::string path = out + "m" + std::to_string(i) + ".txt";
        EXPECT_EQ(ReadAll(path), contents[i]) << path;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
        FILETIME local;
        SYSTEMTIME st;
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToSystemTime(&local, &st);
        EXPECT_EQ(st.wYear, 2010 + i) << path;
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(out.c_str());
    DeleteFileA((folder + "multi.cab").c_str());
    EXPECT_EQ(prompts, 0);
}

// The next cabinet is looked for in the setup folder; only a missing one prompts.
TEST_F(NotifyTest, NextCabinetLookup) {
    cab::FdiNotification n;
    n.user = &job;
    n.name1 = "next.cab";
    EXPECT_EQ(ExtractionNotify(cab::FdiNotificationType::NextCabinet, &n), 0);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(lastPrompt, job.setupFolder + "\\next.cab");
    std::ofstream(folder + "next.cab") << "MSCF";
    EXPECT_EQ(ExtractionNotify(cab::FdiNotificationType::NextCabinet, &n), 0);
    EXPECT_EQ(prompts, 1);
    // Other notifications do nothing and go on.
    for (auto type : {cab::FdiNotificationType::CabinetInfo, cab::FdiNotificationType::PartialFile,
                      cab::FdiNotificationType::Enumerate})
        EXPECT_EQ(ExtractionNotify(type, &n), 0);
}

// The portable DOS conversion agrees with DosDateTimeToFileTime, refusals included.
TEST(DosTimeWin, MatchesDosDateTimeToFileTime) {
    int compared = 0;
    for (uint32_t date = 0; date < 0x10000; date += 37) {
        for (uint16_t time : {0x0000, 0x1234, 0xbf7d, 0xc000, 0x07e0, 0x001e, 0xffff}) {
            // Wine takes 29 February of a common year as 1 March; we refuse that stamp.
            int year = 1980 + static_cast<int>(date >> 9);
            bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
            if ((date & 0x1ff) == ((2 << 5) | 29) && !leap)
                continue;
            FILETIME ft;
            bool windows = DosDateTimeToFileTime(static_cast<WORD>(date), time, &ft) != FALSE;
            auto ours = DosStampToFileTicks(static_cast<uint16_t>(date), time);
            ASSERT_EQ(ours.has_value(), windows) << std::hex << date << " " << time;
            if (ours) {
                EXPECT_EQ(*ours, JoinTicks(ft.dwLowDateTime, ft.dwHighDateTime));
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

}  // namespace
}  // namespace stepwise
