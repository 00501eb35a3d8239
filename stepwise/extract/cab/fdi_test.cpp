#include "cab/fdi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cab/cab_testing.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <cstdio>
#endif

namespace cab {
namespace {

using testing::Cab;
using testing::Sample;
using testing::Serialize;

// An in-memory file system behind the FDI callbacks (plain functions, so the state is
// global to this test file). Folders decoding on pool threads read through it while the
// calling thread writes, so every call holds the lock.
struct OpenFile {
    std::string path;
    size_t position = 0;
};
std::map<std::string, std::vector<uint8_t>> g_files;
std::map<intptr_t, OpenFile> g_open;
intptr_t g_nextHandle = 100;
int g_failWritesAfter = -1;  // -1: never
std::vector<std::string> g_log;
int g_headerReads = 0;  // reads of exactly one data-block header: one per block decoded
std::recursive_mutex g_fsMutex;
std::set<std::thread::id> g_readThreads;  // threads that read through the callbacks

void* Alloc(uint32_t size) {
    return std::malloc(size);
}
void Free(void* p) {
    std::free(p);
}
intptr_t Open(const char* path, int flags, int) {
    std::lock_guard<std::recursive_mutex> lock(g_fsMutex);
    if (!g_files.count(path)) {
        if (!(flags & 0x0100))
            return -1;
        g_files[path];
    }
    if (flags & 0x0200)
        g_files[path].clear();
    g_open[g_nextHandle] = {path, 0};
    return g_nextHandle++;
}
uint32_t Read(intptr_t h, void* buffer, uint32_t count) {
    std::lock_guard<std::recursive_mutex> lock(g_fsMutex);
    auto it = g_open.find(h);
    if (it == g_open.end())
        return static_cast<uint32_t>(-1);
    const auto& data = g_files[it->second.path];
    if (count == kDataSize)
        ++g_headerReads;
    g_readThreads.insert(std::this_thread::get_id());
    const size_t n =
        std::min<size_t>(count, data.size() - std::min(data.size(), it->second.position));
    std::memcpy(buffer, data.data() + it->second.position, n);
    it->second.position += n;
    return static_cast<uint32_t>(n);
}
uint32_t Write(intptr_t h, const void* buffer, uint32_t count) {
    std::lock_guard<std::recursive_mutex> lock(g_fsMutex);
    auto it = g_open.find(h);
    if (it == g_open.end() || g_failWritesAfter == 0)
        return static_cast<uint32_t>(-1);
    if (g_failWritesAfter > 0)
        --g_failWritesAfter;
    auto& data = g_files[it->second.path];
    const auto* p = static_cast<const uint8_t*>(buffer);
    data.resize(std::max(data.size(), it->second.position + count));
    std::memcpy(data.data() + it->second.position, p, count);
    it->second.position += count;
    return count;
}
int Close(intptr_t h) {
    std::lock_guard<std::recursive_mutex> lock(g_fsMutex);
    return g_open.erase(h) ? 0 : -1;
}
int32_t Seek(intptr_t h, int32_t offset, int origin) {
    std::lock_guard<std::recursive_mutex> lock(g_fsMutex);
    auto it = g_open.find(h);
    if (it == g_open.end())
        return -1;
    const size_t size = g_files[it->second.path].size();
    const int64_t base = origin == 0 ? 0 : origin == 1 ? it->second.position : size;
    it->second.position = static_cast<size_t>(base + offset);
    return static_cast<int32_t>(it->second.position);
}

// The installer's notification handler in miniature: logs, writes into "out\\", and
// answers NextCabinet as the test asks.
int g_nextCabinetAnswer = 0;
std::string g_insertOnPrompt;  // a cabinet that appears when NextCabinet is asked
std::vector<uint8_t> g_insertBytes;
intptr_t g_copyAnswer = 1;  // 1: open a file; otherwise returned as is

intptr_t Notify(FdiNotificationType type, FdiNotification* n) {
    switch (type) {
        case FdiNotificationType::CabinetInfo:
            g_log.push_back("info " + std::string(n->name1) + "|" + n->name3);
            return 0;
        case FdiNotificationType::PartialFile:
            g_log.push_back("partial " + std::string(n->name1));
            return 0;
        case FdiNotificationType::CopyFileRequest: {
            g_log.push_back("copy " + std::string(n->name1) + " " + std::to_string(n->size));
            if (g_copyAnswer != 1)
                return g_copyAnswer;
            char path[256];
            if (!FdiDestinationPath("out", n->name1, n->attributes, path, sizeof path))
                return -1;
            return Open(path, kFdiDestinationOpenFlags, kFdiDestinationOpenMode);
        }
        case FdiNotificationType::CloseFileInfo:
            g_log.push_back("close " + std::string(n->name1) + " " + std::to_string(n->date) + " " +
                            std::to_string(n->time) + " " + std::to_string(n->attributes));
            Close(n->handle);
            return 1;
        case FdiNotificationType::NextCabinet:
            g_log.push_back("next " + std::string(n->name1) + "|" + n->name2 + "|" + n->name3 +
                            "|" + std::to_string(static_cast<int>(n->error)));
            if (!g_insertOnPrompt.empty()) {
                g_files[std::string(n->name3) + g_insertOnPrompt] = g_insertBytes;
                g_insertOnPrompt.clear();
            }
            return g_nextCabinetAnswer;
        case FdiNotificationType::Enumerate:
            g_log.push_back("enumerate");
            return 0;
    }
    return 0;
}

class Fdi : public ::testing::Test {
  protected:
    void SetUp() override {
        g_files.clear();
        g_open.clear();
        g_log.clear();
        g_failWritesAfter = -1;
        g_nextCabinetAnswer = 0;
        g_insertOnPrompt.clear();
        g_copyAnswer = 1;
        context_ = FdiCreate(Alloc, Free, Open, Read, Write, Close, Seek, kCpuTypeI386, &error_);
        ASSERT_NE(context_, nullptr);
    }
    void TearDown() override {
        EXPECT_TRUE(FdiDestroy(context_));
        EXPECT_TRUE(g_open.empty()) << "handles left open: " << g_open.size();
    }
    bool Copy(const char* name) {
        return FdiCopy(context_, name, "cabs\\", 0, Notify, nullptr, nullptr);
    }

    FdiError error_;
    FdiContext* context_ = nullptr;
};

TEST_F(Fdi, IsCabinetReadsTheHeaderAndRejectsOtherFiles) {
    Cab cab = testing::SingleFolder({{"a.txt", Sample(100, 1)}, {"b.txt", Sample(10, 2)}}, 1);
    cab.setId = 777;
    cab.index = 0;
    g_files["c.cab"] = Serialize(cab);
    const std::string zip = "PK\x03\x04 zip archive";
    g_files["zip"].assign(zip.begin(), zip.end());
    const intptr_t h = Open("c.cab", 0x8000, 0);
    FdiCabinetInfo info;
    EXPECT_TRUE(FdiIsCabinet(context_, h, &info));
    EXPECT_EQ(info.folderCount, 1);
    EXPECT_EQ(info.fileCount, 2);
    EXPECT_EQ(info.setId, 777);
    EXPECT_EQ(info.cabinetSize, static_cast<int32_t>(g_files["c.cab"].size()));
    EXPECT_FALSE(info.hasNext);
    Close(h);
    const intptr_t zipHandle = Open("zip", 0x8000, 0);
    EXPECT_FALSE(FdiIsCabinet(context_, zipHandle, &info));
    EXPECT_EQ(error_.code, FdiErrorCode::NotACabinet);
    EXPECT_TRUE(error_.failed);
    Close(zipHandle);

    EXPECT_FALSE(Copy("absent.cab"));
    EXPECT_EQ(error_.code, FdiErrorCode::CabinetNotFound);
    EXPECT_NE(std::string(error_.message).find("absent.cab"), std::string::npos);
}

TEST_F(Fdi, CopyNotifiesInOrderAndWritesEveryFile) {
    Cab cab = testing::SingleFolder({{"a.txt", Sample(70000, 1)}, {"dir\\b.txt", Sample(10, 2)}},
                                    kMethodMszip);
    cab.files[1].attributes = 0x21;
    cab.files[1].date = 0x1234;
    cab.files[1].time = 0x5678;
    g_files["cabs\\c.cab"] = Serialize(cab);
    g_files["out\\a.txt"] = std::vector<uint8_t>(100000, 'z');  // longer: must be truncated
    ASSERT_TRUE(Copy("c.cab")) << error_.message;
    EXPECT_FALSE(error_.failed);
    const std::vector<std::string> expected = {
        "info |cabs\\",       "enumerate",
        "copy a.txt 70000",   "close a.txt 22817 24576 32",
        "copy dir\\b.txt 10", "close dir\\b.txt 4660 22136 33",
        "enumerate"};
    EXPECT_EQ(g_log, expected);
    EXPECT_EQ(g_files["out\\a.txt"], Sample(70000, 1));
    EXPECT_EQ(g_files["out\\dir\\b.txt"], Sample(10, 2));
}

// Two cabinets: "span" starts in the first and ends in the second; a data block is split.
std::pair<Cab, Cab> Spanned() {
    Cab one = testing::SingleFolder({{"head", Sample(30000, 1)}, {"span", Sample(20000, 2)}},
                                    kMethodNone);
    // Stored blocks: 32768 then 17232 bytes; cut the second block between the cabinets.
    Cab two;
    one.next = "two.cab";
    one.nextDisk = "Disk 2";
    two.prev = "one.cab";
    two.prevDisk = "Disk 1";
    two.index = 1;
    testing::Block& second = one.folders[0].blocks[1];
    testing::Block rest;
    rest.data.assign(second.data.begin() + 100, second.data.end());
    rest.uncompressed = second.uncompressed;
    second.data.resize(100);
    second.uncompressed = 0;
    two.folders.push_back({kMethodNone, {rest}});
    one.files[1].folder = kFolderContinuedToNext;
    two.files.push_back(one.files[1]);
    two.files[0].folder = kFolderContinuedFromPrev;
    // A block for "tail" in a folder of its own.
    two.folders.push_back({kMethodNone, testing::StoredBlocks(Sample(5, 3))});
    two.files.push_back({"tail", 5, 0, 1});
    return {one, two};
}

TEST_F(Fdi, FollowsTheChainAndAsksForTheNextCabinet) {
    auto [one, two] = Spanned();
    g_files["cabs\\one.cab"] = Serialize(one);
    g_insertOnPrompt = "two.cab";  // the user inserts the disk when asked
    g_insertBytes = Serialize(two);
    ASSERT_TRUE(Copy("one.cab")) << error_.message;
    const std::vector<std::string> expected = {"info two.cab|cabs\\",
                                               "enumerate",
                                               "copy head 30000",
                                               "close head 22817 24576 32",
                                               "copy span 20000",
                                               "next two.cab|Disk 2|cabs\\|0",
                                               "info |cabs\\",
                                               "close span 22817 24576 32",
                                               "enumerate",
                                               "enumerate",
                                               "copy tail 5",
                                               "close tail 22817 24576 32",
                                               "enumerate"};
    EXPECT_EQ(g_log, expected);
    EXPECT_EQ(g_files["out\\span"], Sample(20000, 2));
    EXPECT_EQ(g_files["out\\tail"], Sample(5, 3));

    // Starting at the second cabinet, "span" is reported as partial and not written.
    g_log.clear();
    g_files.erase("out\\span");
    ASSERT_TRUE(Copy("two.cab")) << error_.message;
    EXPECT_EQ(g_log[2], "partial span");
    EXPECT_EQ(g_files.count("out\\span"), 0u);
}

TEST_F(Fdi, AsksAgainWhileTheNextCabinetIsMissingAndStopsOnAbort) {
    auto [one, two] = Spanned();
    g_files["cabs\\one.cab"] = Serialize(one);
    g_nextCabinetAnswer = 0;
    // The callback says "retry" without providing the cabinet: asked again with the error,
    // until the retry limit or an abort. Here: abort on the third request.
    static int requests;
    requests = 0;
    auto notify = [](FdiNotificationType type, FdiNotification* n) -> intptr_t {
        if (type == FdiNotificationType::NextCabinet) {
            EXPECT_EQ(n->error, requests == 0 ? FdiErrorCode::None : FdiErrorCode::CabinetNotFound);
            return ++requests == 3 ? -1 : 0;
        }
        return Notify(type, n);
    };
    EXPECT_FALSE(FdiCopy(context_, "one.cab", "cabs\\", 0, notify, nullptr, nullptr));
    EXPECT_EQ(requests, 3);
    EXPECT_EQ(error_.code, FdiErrorCode::UserAbort);

    // A cabinet of another set is refused as the wrong one.
    two.setId = 4321;
    g_files["cabs\\two.cab"] = Serialize(two);
    requests = 0;
    auto wrong = [](FdiNotificationType type, FdiNotification* n) -> intptr_t {
        if (type == FdiNotificationType::NextCabinet) {
            if (requests++ == 1) {
                EXPECT_EQ(n->error, FdiErrorCode::WrongCabinet);
                return -1;
            }
            return 0;
        }
        return Notify(type, n);
    };
    EXPECT_FALSE(FdiCopy(context_, "one.cab", "cabs\\", 0, wrong, nullptr, nullptr));
    EXPECT_EQ(requests, 2);
}

TEST_F(Fdi, RefusesUnsafeNamesBeforeAnyFileIsCopied) {
    for (const char* name : {"..\\..\\evil.exe", "c:\\evil.exe", "\\evil.exe", "a.txt:ads", "AUX",
                             "com1.txt", "dir\\..\\..\\x", ". . \\x"}) {
        g_log.clear();
        Cab cab = testing::SingleFolder({{"fine.txt", Sample(10, 1)}, {name, Sample(10, 2)}}, 0);
        g_files["cabs\\bad.cab"] = Serialize(cab);
        EXPECT_FALSE(Copy("bad.cab")) << name;
        EXPECT_EQ(error_.code, FdiErrorCode::UnsafeName) << name;
        for (const std::string& line : g_log)
            EXPECT_NE(line.rfind("copy", 0), 0u) << name << ": " << line;
    }
}

TEST_F(Fdi, FailuresCloseTheOpenFileAndNameTheirCause) {
    Cab cab = testing::SingleFolder({{"a.bin", Sample(50000, 1)}, {"b.bin", Sample(10, 2)}},
                                    kMethodMszip);
    g_files["cabs\\c.cab"] = Serialize(cab);

    g_copyAnswer = 0;  // skip every file
    EXPECT_TRUE(Copy("c.cab")) << error_.message;
    EXPECT_EQ(g_files.count("out\\a.bin"), 0u);

    g_copyAnswer = -1;
    EXPECT_FALSE(Copy("c.cab"));
    EXPECT_EQ(error_.code, FdiErrorCode::UserAbort);

    g_copyAnswer = 1;
    g_failWritesAfter = 1;  // the second write fails
    EXPECT_FALSE(Copy("c.cab"));
    EXPECT_EQ(error_.code, FdiErrorCode::TargetFile);

    g_failWritesAfter = -1;
    cab.folders[0].blocks[1].corruptChecksum = true;
    g_files["cabs\\c.cab"] = Serialize(cab);
    EXPECT_FALSE(Copy("c.cab"));
    EXPECT_EQ(error_.code, FdiErrorCode::CorruptCabinet);
    EXPECT_NE(std::string(error_.message).find("checksum"), std::string::npos) << error_.message;

    cab.folders[0].blocks[1].corruptChecksum = false;
    cab.folders[0].compression = 0x0005;
    g_files["cabs\\c.cab"] = Serialize(cab);
    EXPECT_FALSE(Copy("c.cab"));
    EXPECT_EQ(error_.code, FdiErrorCode::BadCompressionType);
    EXPECT_NE(std::string(error_.message).find("method 5"), std::string::npos) << error_.message;
}

TEST_F(Fdi, RefusesAnUnsafeNextCabinetNameWithoutOpeningIt) {
    Cab one = testing::SingleFolder({{"a.txt", Sample(100, 1)}}, kMethodNone);
    one.next = "..\\..\\elsewhere.cab";
    g_files["cabs\\one.cab"] = Serialize(one);
    g_files["elsewhere.cab"] = Serialize(one);
    EXPECT_FALSE(Copy("one.cab"));
    EXPECT_EQ(error_.code, FdiErrorCode::UnsafeName) << error_.message;
    for (const std::string& line : g_log)
        EXPECT_NE(line.rfind("next ", 0), 0u) << "asked for the unsafe cabinet: " << line;
}

// A table listing files backwards (or overlapping) must not make the installer decode the
// folder again for every file: each block is decoded once, and every file gets its bytes.
TEST_F(Fdi, DecodesEachBlockOnceWhateverTheTableOrder) {
    const auto data = Sample(12 * 32768, 41);
    Cab cab;
    cab.folders.push_back({kMethodNone, testing::StoredBlocks(data)});
    for (int i = 29; i >= 0; --i)
        cab.files.push_back({"f" + std::to_string(i), 30000, static_cast<uint32_t>(i * 12000), 0});
    cab.files.push_back({"again0", 30000, 0, 0});
    g_files["cabs\\order.cab"] = Serialize(cab);
    g_headerReads = 0;
    ASSERT_TRUE(Copy("order.cab")) << error_.message;
    EXPECT_EQ(g_headerReads, 12);
    for (int i = 0; i < 30; ++i) {
        const std::string name = "out\\f" + std::to_string(i);
        EXPECT_EQ(g_files[name],
                  std::vector<uint8_t>(data.begin() + i * 12000, data.begin() + i * 12000 + 30000))
            << name;
    }
    EXPECT_EQ(g_files["out\\again0"], g_files["out\\f0"]);
}

// Four folders decoded on one thread and on several: the same notifications in the same
// order, the same bytes, and the same failure where a folder is spoiled (the copy stops
// there, and nothing of the later folders is notified).
TEST_F(Fdi, ParallelFoldersNotifyAndWriteAsOneThreadDoes) {
    Cab cab;
    for (uint16_t f = 0; f < 4; ++f) {
        std::vector<uint8_t> all = Sample(120000 + f * 7001, f + 11);
        testing::Folder folder;
        folder.compression = f % 2 ? kMethodNone : kMethodMszip;
        folder.blocks = f % 2 ? testing::StoredBlocks(all) : testing::MszipBlocks(all);
        cab.folders.push_back(std::move(folder));
        for (uint32_t k = 0; k < 3; ++k) {
            testing::File file;
            file.name = "f" + std::to_string(f) + "_" + std::to_string(k);
            file.offset = k * 40000;
            file.size = k == 2 ? static_cast<uint32_t>(all.size()) - 80000 : 40000;
            file.folder = f;
            file.time = static_cast<uint16_t>(f * 3 + k);
            cab.files.push_back(file);
        }
    }
    auto run = [&](const Cab& c, unsigned threads) {
        g_files.clear();
        g_log.clear();
        g_readThreads.clear();
        g_files["cabs\\set.cab"] = Serialize(c);
        FdiSetDecodeThreads(context_, threads);
        const bool ok = Copy("set.cab");
        std::map<std::string, std::vector<uint8_t>> out = g_files;
        out.erase("cabs\\set.cab");
        return std::make_tuple(ok, g_log, out, std::string(error_.message));
    };
    const auto single = run(cab, 1);
    EXPECT_TRUE(std::get<0>(single));
    EXPECT_EQ(std::get<2>(single).size(), 12u);
    EXPECT_EQ(g_readThreads.size(), 1u);
    EXPECT_EQ(run(cab, 4), single);
    EXPECT_GT(g_readThreads.size(), 1u);  // the folders were decoded on the pool
    EXPECT_EQ(run(cab, 0), single);

    cab.folders[2].blocks[1].corruptChecksum = true;
    const auto spoiled = run(cab, 1);
    EXPECT_FALSE(std::get<0>(spoiled));
    EXPECT_EQ(std::get<2>(spoiled).count("out\\f3_0"), 0u);
    EXPECT_NE(std::get<3>(spoiled).find("checksum"), std::string::npos);
    EXPECT_EQ(run(cab, 4), spoiled);
}

TEST(FdiDestinationPath, JoinsSafeNamesAndRefusesTheRest) {
    char out[32];
    EXPECT_TRUE(FdiDestinationPath("C:\\tmp\\", "a/b.txt", 0, out, sizeof out));
    EXPECT_STREQ(out, "C:\\tmp\\a\\b.txt");
    EXPECT_TRUE(FdiDestinationPath("C:\\tmp", "x", 0, out, sizeof out));
    EXPECT_STREQ(out, "C:\\tmp\\x");
    EXPECT_FALSE(FdiDestinationPath("C:\\tmp\\", "..\\x", 0, out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(FdiDestinationPath("C:\\tmp\\", "a-very-long-name-that-does-not-fit.txt", 0, out,
                                    sizeof out));
    EXPECT_FALSE(FdiDestinationPath("C:\\tmp\\", "caf\xC3", 0x80, out, sizeof out));
    EXPECT_TRUE(FdiDestinationPath("C:\\tmp\\", "caf\xC3\xA9", 0x80, out, sizeof out));
}

#ifdef _WIN32
// The installer's own callbacks are the C runtime's low-level file calls: an existing longer
// destination must come out with exactly the cabinet's bytes.
intptr_t CrtOpen(const char* path, int flags, int mode) {
    return _open(path, flags, mode);
}
uint32_t CrtRead(intptr_t h, void* b, uint32_t n) {
    return _read(static_cast<int>(h), b, n);
}
uint32_t CrtWrite(intptr_t h, const void* b, uint32_t n) {
    return _write(static_cast<int>(h), b, n);
}
int CrtClose(intptr_t h) {
    return _close(static_cast<int>(h));
}
int32_t CrtSeek(intptr_t h, int32_t o, int w) {
    return _lseek(static_cast<int>(h), o, w);
}
intptr_t CrtNotify(FdiNotificationType type, FdiNotification* n) {
    if (type == FdiNotificationType::CopyFileRequest) {
        char path[260];
        if (!FdiDestinationPath("fdi_crt_out", n->name1, n->attributes, path, sizeof path))
            return -1;
        return _open(path, kFdiDestinationOpenFlags, kFdiDestinationOpenMode);
    }
    if (type == FdiNotificationType::CloseFileInfo) {
        _close(static_cast<int>(n->handle));
        return 1;
    }
    return 0;
}

TEST(FdiOnTheRuntime, TruncatesAnExistingLongerDestination) {
    _mkdir("fdi_crt_out");
    const std::vector<uint8_t> bytes =
        Serialize(testing::SingleFolder({{"f.txt", Sample(100, 1)}}, 1));
    FILE* cab = std::fopen("fdi_crt.cab", "wb");
    ASSERT_NE(cab, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), cab);
    std::fclose(cab);
    FILE* old = std::fopen("fdi_crt_out\\f.txt", "wb");
    ASSERT_NE(old, nullptr);
    std::fwrite(std::string(5000, 'z').data(), 1, 5000, old);
    std::fclose(old);

    FdiError error;
    FdiContext* ctx =
        FdiCreate(Alloc, Free, CrtOpen, CrtRead, CrtWrite, CrtClose, CrtSeek, kCpuTypeI386, &error);
    ASSERT_NE(ctx, nullptr);
    EXPECT_TRUE(FdiCopy(ctx, "fdi_crt.cab", "", 0, CrtNotify, nullptr, nullptr)) << error.message;
    FdiDestroy(ctx);
    struct _stat st;
    ASSERT_EQ(_stat("fdi_crt_out\\f.txt", &st), 0);
    EXPECT_EQ(st.st_size, 100);
    std::remove("fdi_crt_out\\f.txt");
    std::remove("fdi_crt.cab");
    _rmdir("fdi_crt_out");
}
#endif

}  // namespace
}  // namespace cab
