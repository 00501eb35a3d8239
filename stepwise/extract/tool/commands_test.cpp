#include "tool/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tool/async_file_writer.h"
#include "tool/file_system.h"

namespace cabtool {
namespace {

// Options may come before the cabinet or among the files, where --compress opens a folder.
TEST(CreateArgs, ParsesOptionsAndFolders) {
    CreateRequest r;
    std::string error;
    ASSERT_TRUE(ParseCreateArgs({"--max-size", "1440k", "out.cab", "a", "--compress", "lzx:18", "b",
                                 "c", "--folder-size", "8m", "--compress", "none", "d"},
                                &r, &error))
        << error;
    EXPECT_EQ(r.cabinet, "out.cab");
    EXPECT_EQ(r.maxSize, 1440u * 1024);
    EXPECT_EQ(r.folderSize, 8u << 20);
    ASSERT_EQ(r.folders.size(), 3u);
    EXPECT_EQ(r.folders[0].compression.method, cab::CompressionMethod::Mszip);
    EXPECT_EQ(r.folders[0].inputs, std::vector<std::string>{"a"});
    EXPECT_EQ(r.folders[1].compression.lzxWindowBits, 18);
    EXPECT_EQ(r.folders[1].inputs, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(r.folders[2].compression.method, cab::CompressionMethod::None);

    const std::vector<std::vector<std::string>> bad = {
        {},
        {"out.cab"},
        {"--compress"},
        {"--compress", "lzx:22", "out.cab", "a"},
        {"--max-size", "100", "out.cab", "a"},
        {"--max-size", "12q", "out.cab", "a"},
        {"--max-size", "99999999999", "out.cab", "a"},
        {"--folder-size", "0", "out.cab", "a"},
        {"out.cab", "a", "--folder-size"},
        {"--level", "9", "out.cab", "a"},
    };
    for (const auto& args : bad) {
        CreateRequest request;
        std::string message;
        EXPECT_FALSE(ParseCreateArgs(args, &request, &message));
        EXPECT_FALSE(message.empty());
    }
}

// Stored names: '\' separators, no "./" or leading separators, nothing that climbs out.
TEST(CreateArgs, DerivesSafeStoredNames) {
    std::string name, error;
    ASSERT_TRUE(StoredNameFor("./docs/read me.txt", &name, &error));
    EXPECT_EQ(name, "docs\\read me.txt");
    ASSERT_TRUE(StoredNameFor("/abs//path/x", &name, &error));
    EXPECT_EQ(name, "abs\\path\\x");
    for (const char* bad : {"../x", "a/../../x", "C:\\x", "c:x", ".", "", "./"}) {
        EXPECT_FALSE(StoredNameFor(bad, &name, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(StoredNameFor(std::string(300, 'a'), &name, &error));

    uint32_t size = 0;
    EXPECT_TRUE(ParseSize("1M", &size));
    EXPECT_EQ(size, 1048576u);
    EXPECT_TRUE(ParseSize("2147483647", &size));
    EXPECT_FALSE(ParseSize("2147483648", &size));
    EXPECT_FALSE(ParseSize("k", &size));
    EXPECT_FALSE(ParseSize("10kb", &size));
}

}  // namespace
}  // namespace cabtool

namespace cabtool {
namespace {

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

#ifndef _WIN32
// Names not flagged as UTF-8 come from Windows code pages and are read as Latin-1.
std::string Local(const std::string& stored, bool utf8) {
    std::string local;
    EXPECT_TRUE(LocalName(stored, utf8, &local)) << stored;
    return local;
}

TEST(LocalName, GivesUtf8FileNames) {
    EXPECT_EQ(Local("caf\xE9.txt", false), "caf\xC3\xA9.txt");
    EXPECT_EQ(Local("caf\xC3\xA9.txt", true), "caf\xC3\xA9.txt");
    EXPECT_EQ(Local("plain\\name", false), "plain\\name");
}
#else
// Full-width letters must not become the ASCII letters they resemble: "ＣＯＮ" would open
// the console device after the stored name passed the check.
TEST(LocalName, ConvertsWithoutBestFit) {
    std::string local;
    EXPECT_FALSE(LocalName("\xEF\xBC\xA3\xEF\xBC\xAF\xEF\xBC\xAE", true, &local)) << local;
    EXPECT_FALSE(LocalName("\xEF\xBC\xA3OM1.txt", true, &local)) << local;
    ASSERT_TRUE(LocalName("plain.txt", true, &local));
    EXPECT_EQ(local, "plain.txt");
}
#endif

// The temporary directory of one test, removed before and after.
struct ScratchDir {
    explicit ScratchDir(const std::string& name)
        : path(std::filesystem::temp_directory_path() /
               (name + std::to_string(::testing::UnitTest::GetInstance()->random_seed()))) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

constexpr uint16_t kReadOnlyHiddenSystem = 0x01 | 0x02 | 0x04;

// A second extraction into the same folder meets the files of the first, which may be
// read-only, hidden or system: Windows refuses to replace those (Wine allows it), so the
// destination must be plain by the time the new file is moved onto it.
TEST(AsyncFileWriter, MakesAnExistingFilePlainBeforeReplacingIt) {
    ScratchDir dir("cabtool-plain-");
    const std::string target = (dir.path / "hidden.sys").string();
    {
        std::ofstream old(target);
        old << "old";
    }
    ASSERT_TRUE(ApplyStoredFacts(target, 0x5921, 0x6000, kReadOnlyHiddenSystem));
    ASSERT_NE(Inspect(target).attributes & kReadOnlyHiddenSystem, 0);
    std::vector<uint16_t> seen;
    AsyncFileWriter writer([&](const std::string& from, const std::string& to) {
        seen.push_back(Inspect(to).attributes & kReadOnlyHiddenSystem);
        return MoveIntoPlace(from, to);
    });
    const int id = writer.Open(target);
    writer.Write(id, reinterpret_cast<const uint8_t*>("new"), 3);
    writer.Close(id, true, 0x5921, 0x6000, kReadOnlyHiddenSystem);
    EXPECT_TRUE(writer.Finish().empty());
    EXPECT_EQ(seen, std::vector<uint16_t>{0});
    EXPECT_EQ(ReadAll(target), "new");
    MakePlain(target);
}

// A later entry of the same name that fails leaves the earlier entry's good file alone.
TEST(AsyncFileWriter, AFailedFileKeepsTheGoodOneItWouldHaveReplaced) {
    ScratchDir dir("cabtool-keep-");
    const std::string target = (dir.path / "twice.txt").string();
    AsyncFileWriter writer;
    int id = writer.Open(target);
    writer.Write(id, reinterpret_cast<const uint8_t*>("good"), 4);
    writer.Close(id, true, 0x5921, 0x6000, 0x20);
    id = writer.Open(target);
    writer.Write(id, reinterpret_cast<const uint8_t*>("bad data"), 8);
    writer.Close(id, false, 0, 0, 0);
    EXPECT_TRUE(writer.Finish().empty());
    EXPECT_EQ(ReadAll(target), "good");
    EXPECT_EQ(ListDirectory(dir.path.string()), std::vector<std::string>{"twice.txt"});
}

// Files land in order with their bytes; a refused file is kept out, a failed one removed,
// and something else in the way (a folder) is reported and left alone.
TEST(AsyncFileWriter, WritesInOrderAndReportsFailures) {
    namespace fs = std::filesystem;
    fs::path dir =
        fs::temp_directory_path() /
        ("cabtool-writer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir / "blocker");
    {
        std::ofstream old(dir / "a.txt");
        old << std::string(1000, 'x');  // longer than the new content
    }
    AsyncFileWriter writer;
    const std::string big(300000, 'b');
    int id = writer.Open((dir / "a.txt").string());
    writer.Write(id, reinterpret_cast<const uint8_t*>("new"), 3);
    writer.Close(id, true, 0x5921, 0x6000, 0x20);
    id = writer.Open((dir / "sub" / "b.bin").string());
    writer.Write(id, reinterpret_cast<const uint8_t*>(big.data()), big.size());
    writer.Close(id, true, 0x5921, 0x6000, 0x20);
    id = writer.Open((dir / "bad.txt").string());
    writer.Write(id, reinterpret_cast<const uint8_t*>("half"), 4);
    writer.Close(id, false, 0, 0, 0);
    id = writer.Open((dir / "blocker").string());
    writer.Write(id, reinterpret_cast<const uint8_t*>("x"), 1);
    writer.Close(id, true, 0, 0, 0);
    std::vector<std::string> failures = writer.Finish();

    EXPECT_EQ(ReadAll(dir / "a.txt"), "new");
    EXPECT_EQ(ReadAll(dir / "sub" / "b.bin"), big);
    EXPECT_FALSE(fs::exists(dir / "bad.txt"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("blocker"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir / "blocker"));
    fs::remove_all(dir);
}

#ifndef _WIN32
// Stored times become the local times they name, to the second, whether the hour was just
// asked for, is new, or comes round again after another; also in zones with daylight saving
// time, across a clock change, in the hour skipped and in the hour repeated.
TEST(ApplyStoredFacts, SetsTheLocalTimeTheStampNames) {
    ScratchDir dir("cabtool-times-");
    const std::string path = (dir.path / "f").string();
    std::ofstream(path) << "x";
    const struct {
        int year, month, day, hour, minute, second;
    } stamps[] = {{2024, 3, 9, 14, 0, 0},   {2024, 3, 9, 14, 59, 58},   {2024, 3, 9, 14, 1, 2},
                  {2024, 3, 9, 15, 30, 0},  {2024, 3, 10, 14, 30, 0},   {2024, 3, 9, 14, 45, 10},
                  {1980, 1, 1, 0, 0, 0},    {2107, 12, 31, 23, 59, 58}, {2024, 7, 1, 3, 7, 44},
                  {2024, 3, 10, 1, 59, 58}, {2024, 3, 10, 2, 30, 0},    {2024, 3, 10, 3, 0, 2},
                  {2024, 11, 3, 1, 30, 0},  {2024, 11, 3, 2, 0, 0},     {2024, 3, 31, 2, 15, 0},
                  {2024, 10, 27, 2, 15, 0}, {2024, 12, 1, 3, 7, 44}};
    const char* const oldZone = std::getenv("TZ");
    const std::string saved = oldZone ? oldZone : "";
    for (const char* zone : {"UTC0", "EST5EDT,M3.2.0,M11.1.0", "CET-1CEST,M3.5.0,M10.5.0/3"}) {
        setenv("TZ", zone, 1);
        tzset();
        for (const auto& s : stamps) {
            SCOPED_TRACE(std::string(zone) + " " + std::to_string(s.year) + "-" +
                         std::to_string(s.month) + "-" + std::to_string(s.day) + " " +
                         std::to_string(s.hour) + ":" + std::to_string(s.minute) + ":" +
                         std::to_string(s.second));
            const uint16_t date =
                static_cast<uint16_t>((s.year - 1980) << 9 | s.month << 5 | s.day);
            const uint16_t time =
                static_cast<uint16_t>(s.hour << 11 | s.minute << 5 | s.second / 2);
            ASSERT_TRUE(ApplyStoredFacts(path, date, time, 0x20));
            struct tm tm {};
            tm.tm_year = s.year - 1900;
            tm.tm_mon = s.month - 1;
            tm.tm_mday = s.day;
            tm.tm_hour = s.hour;
            tm.tm_min = s.minute;
            tm.tm_sec = s.second;
            tm.tm_isdst = -1;
            const auto written = std::filesystem::last_write_time(path);
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                std::chrono::file_clock::to_sys(written).time_since_epoch());
            EXPECT_EQ(seconds.count(), static_cast<long long>(mktime(&tm)));
        }
    }
    if (oldZone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
#endif

// Small files share the writer's buffers with the files after them: sizes around the small
// write limit and the buffer size, in pieces and whole, next to dropped files, each land with
// exactly its own bytes.
TEST(AsyncFileWriter, FilesSharingBuffersKeepTheirOwnBytes) {
    ScratchDir dir("cabtool-sharing-");
    const size_t sizes[] = {1,  3000,  65535,  65536, 65537, 200000, 1,      262143, 262144, 262145,
                            10, 40000, 600000, 0,     70000, 5,      131072, 196607, 4096,   1};
    std::vector<std::string> contents;
    AsyncFileWriter writer;
    for (size_t i = 0; i < std::size(sizes); ++i) {
        std::string bytes(sizes[i], '\0');
        for (size_t j = 0; j < bytes.size(); ++j)
            bytes[j] = static_cast<char>('a' + (i * 7 + j / 1000) % 26);
        const int id = writer.Open((dir.path / std::to_string(i)).string());
        // Every third file arrives in uneven pieces, as decoded blocks do.
        for (size_t at = 0; at < bytes.size();) {
            const size_t n =
                i % 3 == 0 ? std::min<size_t>(bytes.size() - at, 33333) : bytes.size() - at;
            writer.Write(id, reinterpret_cast<const uint8_t*>(bytes.data() + at), n);
            at += n;
        }
        // Every fifth file is dropped: its bytes must not leak into the next one.
        writer.Close(id, i % 5 != 4, 0x5921, 0x6000, 0x20);
        contents.push_back(std::move(bytes));
    }
    EXPECT_TRUE(writer.Finish().empty());
    for (size_t i = 0; i < contents.size(); ++i) {
        SCOPED_TRACE("file " + std::to_string(i));
        const std::filesystem::path path = dir.path / std::to_string(i);
        if (i % 5 == 4) {
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        EXPECT_EQ(std::filesystem::file_size(path), contents[i].size());
        EXPECT_TRUE(ReadAll(path) == contents[i]);
    }
}

// Files that share bytes in a cabinet are written at the same time, each to its own file.
TEST(AsyncFileWriter, KeepsInterleavedFilesApart) {
    ScratchDir dir("cabtool-interleaved-");
    AsyncFileWriter writer;
    const int a = writer.Open((dir.path / "a").string());
    const int b = writer.Open((dir.path / "b").string());
    const std::string chunk(70000, 'q');
    for (int round = 0; round < 3; ++round) {
        writer.Write(a, reinterpret_cast<const uint8_t*>(chunk.data()), chunk.size());
        writer.Write(b, reinterpret_cast<const uint8_t*>("b"), 1);
    }
    writer.Close(b, true, 0x5921, 0x6000, 0x20);
    writer.Close(a, true, 0x5921, 0x6000, 0x20);
    EXPECT_TRUE(writer.Finish().empty());
    EXPECT_EQ(ReadAll(dir.path / "a"), chunk + chunk + chunk);
    EXPECT_EQ(ReadAll(dir.path / "b"), "bbb");
}

// Creating a new file never takes over one that is already there, whatever it is.
TEST(CreateNewFile, CreatesOnlyWhereNothingIs) {
    ScratchDir dir("cabtool-create-new-");
    const std::string fresh = (dir.path / "fresh.bin").string();
    std::FILE* file = CreateNewFile(fresh);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fwrite("abc", 1, 3, file), 3u);
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_EQ(ReadAll(fresh), "abc");
    EXPECT_EQ(CreateNewFile(fresh), nullptr);
    EXPECT_EQ(ReadAll(fresh), "abc");
    std::filesystem::create_directories(dir.path / "folder");
    EXPECT_EQ(CreateNewFile((dir.path / "folder").string()), nullptr);
    EXPECT_EQ(CreateNewFile((dir.path / "missing" / "x").string()), nullptr);
}

// Many small files and a few large ones: the writer takes requests in batches and the
// caller waits on a full queue, and every file still lands whole, new ones with no
// temporary left beside them.
TEST(AsyncFileWriter, WritesManyFilesThroughBatches) {
    ScratchDir dir("cabtool-batches-");
    std::vector<std::string> names;
    {
        std::ofstream old(dir.path / "0007.txt");
        old << "older and longer content";
    }
    AsyncFileWriter writer;
    const std::string large(700000, 'L');
    for (int i = 0; i < 400; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.txt", i);
        names.push_back(name);
        const int id = writer.Open((dir.path / name).string());
        const std::string body = i % 100 == 50 ? large : std::string(name);
        writer.Write(id, reinterpret_cast<const uint8_t*>(body.data()), body.size());
        writer.Close(id, i != 13, 0x5921, 0x6000, 0x20);
    }
    EXPECT_TRUE(writer.Finish().empty());
    names.erase(names.begin() + 13);
    EXPECT_EQ(ListDirectory(dir.path.string()), names);
    EXPECT_EQ(ReadAll(dir.path / "0007.txt"), "0007.txt");
    EXPECT_EQ(ReadAll(dir.path / "0150.txt"), large);
    EXPECT_EQ(ReadAll(dir.path / "0399.txt"), "0399.txt");
}

// A file still open when the writer finishes (extraction stopped) is not kept, whether it was
// new or would have replaced one; the one it would have replaced stays.
TEST(AsyncFileWriter, DropsFilesNeverClosed) {
    ScratchDir dir("cabtool-unclosed-");
    {
        std::ofstream old(dir.path / "old.txt");
        old << "old";
    }
    AsyncFileWriter writer;
    const std::string big(400000, 'z');
    for (const char* name : {"new.bin", "old.txt"}) {
        const int id = writer.Open((dir.path / name).string());
        writer.Write(id, reinterpret_cast<const uint8_t*>(big.data()), big.size());
    }
    EXPECT_TRUE(writer.Finish().empty());
    EXPECT_EQ(ListDirectory(dir.path.string()), std::vector<std::string>{"old.txt"});
    EXPECT_EQ(ReadAll(dir.path / "old.txt"), "old");
}

// A file that is not a cabinet is searched for cabinets embedded in it, unless told not to.
TEST(ReadCommands, WorkOnCabinetsEmbeddedInOtherFiles) {
    ScratchDir dir("cabtool-embedded-");
    const std::string data = "embedded payload";
    {
        std::ofstream in(dir.path / "payload.txt", std::ios::binary);
        in << data;
    }
    CreateRequest request;
    std::string error;
    const std::string cabinet = (dir.path / "x.cab").string();
    ASSERT_TRUE(ParseCreateArgs({"--compress", "none", cabinet, "payload.txt"}, &request, &error));
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    const int created = RunCreate(request);
    std::filesystem::current_path(here);
    ASSERT_EQ(created, kExitOk);
    const std::string sfx = (dir.path / "setup.exe").string();
    {
        std::ofstream out(sfx, std::ios::binary);
        out << "MZ" << std::string(5000, '\x90') << "MSCF" << ReadAll(cabinet) << "tail";
    }
    EXPECT_EQ(RunTest(sfx), kExitOk);
    EXPECT_EQ(RunTest(sfx, false), kExitFailed);
    EXPECT_EQ(RunExtract(sfx, (dir.path / "out").string()), kExitOk);
    EXPECT_EQ(ReadAll(dir.path / "out" / "payload.txt"), data);
}

}  // namespace
}  // namespace cabtool
