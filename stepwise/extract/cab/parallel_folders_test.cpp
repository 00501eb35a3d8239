// Folders decoded on several threads: the pipe between the threads, the ordered hand-out,
// and the cabinet reader giving the same calls, bytes and errors as on one thread.
#include "cab/parallel_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cab/cab_parser.h"
#include "cab/cab_reader.h"
#include "cab/cab_testing.h"
#include "cab/folder_pipe.h"

namespace cab {
namespace {

using testing::Sample;

// A sink that keeps what it gets and remembers the largest single write.
class Collect final : public ByteSink {
  public:
    bool Write(const uint8_t* data, size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        largest = std::max(largest, size);
        return true;
    }
    std::vector<uint8_t> bytes;
    size_t largest = 0;
};

// Bytes written in odd pieces come out whole and in order through a pipe that holds one
// chunk, in large pieces; the producer's error arrives after its last byte.
TEST(FolderPipe, CarriesBytesInOrderThenTheError) {
    const std::vector<uint8_t> data = Sample(3 * FolderPipe::kChunkSize + 12345, 7);
    FolderPipe pipe(1);
    std::thread producer([&] {
        for (size_t pos = 0; pos < data.size();) {
            const size_t n = std::min<size_t>(data.size() - pos, 1000 + pos % 40000);
            ASSERT_TRUE(pipe.Write(data.data() + pos, n));
            pos += n;
        }
        pipe.Finish(MakeError(CabErrc::Checksum, "bad block"));
    });
    Collect out;
    bool ok = true;
    EXPECT_FALSE(pipe.Skip(100));
    EXPECT_FALSE(pipe.ReadTo(&out, data.size() - 100 - 5, &ok));
    EXPECT_EQ(pipe.position(), data.size() - 5);
    CabError e = pipe.ReadTo(&out, 10, &ok);
    producer.join();
    EXPECT_EQ(e.code, CabErrc::Checksum);
    EXPECT_EQ(pipe.position(), data.size());
    out.bytes.resize(data.size() - 100);
    EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), data.begin() + 100));
    EXPECT_GT(out.largest, size_t{32768});

    // Reading past a clean end is an error, not a hang.
    FolderPipe clean(1);
    clean.Write(data.data(), 10);
    clean.Finish({});
    EXPECT_FALSE(clean.Skip(10));
    EXPECT_EQ(clean.Skip(1).code, CabErrc::Corrupt);
}

// A consumer that walks away releases a producer held by a full pipe.
TEST(FolderPipe, AbandonReleasesTheProducer) {
    FolderPipe pipe(1);
    const std::vector<uint8_t> chunk(FolderPipe::kChunkSize, 1);
    std::thread producer([&] {
        while (pipe.Write(chunk.data(), chunk.size())) {
        }
        pipe.Finish({});
    });
    Collect out;
    bool ok = true;
    ASSERT_FALSE(pipe.ReadTo(&out, 10, &ok));
    pipe.Abandon();
    producer.join();  // hangs (and the test times out) if the producer stays held
    EXPECT_FALSE(pipe.Write(chunk.data(), 1));
}

// Pipes of one run share their chunks: what one folder's reader has finished with carries
// the next folder's bytes (no fresh memory), and bytes stay intact through the reuse.
TEST(FolderPipe, SharedPoolReusesChunksAcrossPipes) {
    ChunkPool pool;
    const std::vector<uint8_t> data = Sample(2 * FolderPipe::kChunkSize + 99, 3);
    std::vector<uint8_t*> firstChunks;
    {
        FolderPipe first(8 * FolderPipe::kChunkSize, &pool);
        size_t room = 0;
        for (size_t pos = 0; pos < data.size();) {
            uint8_t* to = first.Room(&room);
            if (pos % FolderPipe::kChunkSize == 0)
                firstChunks.push_back(to);
            const size_t n = std::min(room, data.size() - pos);
            std::copy_n(data.data() + pos, n, to);
            ASSERT_TRUE(first.Commit(n));
            pos += n;
        }
        first.Finish({});
        Collect out;
        bool ok = true;
        EXPECT_FALSE(first.ReadTo(&out, data.size(), &ok));
        EXPECT_EQ(out.bytes, data);
        first.Abandon();
    }
    FolderPipe second(8 * FolderPipe::kChunkSize, &pool);
    size_t room = 0;
    uint8_t* reused = second.Room(&room);
    EXPECT_NE(std::find(firstChunks.begin(), firstChunks.end(), reused), firstChunks.end());
    EXPECT_EQ(room, FolderPipe::kChunkSize);
    ASSERT_TRUE(second.Write(data.data(), data.size()));
    second.Finish({});
    Collect out;
    bool ok = true;
    EXPECT_FALSE(second.ReadTo(&out, data.size(), &ok));
    EXPECT_EQ(out.bytes, data);
}

// Every job is passed in order on the calling thread; jobs without a decoder get none, and a
// pass that stops ends the run with later jobs never passed.
TEST(RunFolderJobs, PassesInOrderAndStops) {
    const std::vector<uint8_t> data = Sample(200000, 3);
    MemorySource source(testing::Serialize(testing::SingleFolder({{"a", data}}, kMethodMszip)));
    Cabinet cabinet;
    ASSERT_FALSE(ParseCabinet(source, &cabinet));
    std::vector<FolderJob> jobs(6);
    for (size_t i = 0; i < jobs.size(); ++i) {
        jobs[i].end = data.size() - i * 1000;
        if (i != 2)
            jobs[i].makeStream = [&] {
                return std::make_unique<FolderStream>(FolderStream::Segment{&source, &cabinet, 0},
                                                      nullptr);
            };
    }
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<size_t> passed;
    RunFolderJobs(jobs, 4, [&](size_t i, FolderBytes* bytes) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        passed.push_back(i);
        EXPECT_EQ(bytes == nullptr, i == 2);
        if (bytes) {
            Collect out;
            bool ok = true;
            EXPECT_FALSE(bytes->ReadTo(&out, jobs[i].end, &ok));
            EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), data.begin()));
            // The pool decodes only what the pass asked for.
            EXPECT_EQ(bytes->Skip(1).code, CabErrc::Corrupt);
        }
        return i < 3;
    });
    EXPECT_EQ(passed, (std::vector<size_t>{0, 1, 2, 3}));
}

// Four folders, one of them spoiled by a bad checksum, and files sharing bytes in another.
std::vector<uint8_t> FourFolders(std::map<std::string, std::vector<uint8_t>>* contents) {
    testing::Cab cab;
    for (uint16_t f = 0; f < 4; ++f) {
        std::vector<uint8_t> all = Sample(150000 + f * 30011, f + 1);
        testing::Folder folder;
        folder.compression = f == 3 ? kMethodNone : kMethodMszip;
        folder.blocks = f == 3 ? testing::StoredBlocks(all) : testing::MszipBlocks(all);
        if (f == 2)
            folder.blocks[3].corruptChecksum = true;
        cab.folders.push_back(std::move(folder));
        const uint32_t cuts[] = {0, 40000, 90000, static_cast<uint32_t>(all.size())};
        for (int k = 0; k < 3; ++k) {
            testing::File file;
            file.name = "f" + std::to_string(f) + "_" + std::to_string(k);
            file.offset = cuts[k];
            file.size = cuts[k + 1] - cuts[k];
            file.folder = f;
            file.date = static_cast<uint16_t>(0x5921 + f * 3 + k);
            cab.files.push_back(file);
            (*contents)[file.name].assign(all.begin() + cuts[k], all.begin() + cuts[k + 1]);
        }
        if (f == 1) {  // shares the bytes of f1_0 and f1_1
            testing::File file{"f1_shared", 60000, 20000, 1};
            cab.files.push_back(file);
            (*contents)[file.name].assign(all.begin() + 20000, all.begin() + 80000);
        }
    }
    return testing::Serialize(cab);
}

struct ExtractLog {
    std::vector<std::string> calls;
    std::map<std::string, std::vector<uint8_t>> bytes;
    CabError result;
};

ExtractLog ExtractWith(const std::vector<uint8_t>& cabinet, unsigned threads) {
    CabinetReader reader;
    reader.SetDecodeThreads(threads);
    EXPECT_FALSE(reader.Open(std::make_unique<MemorySource>(cabinet.data(), cabinet.size())));
    ExtractLog log;
    std::map<std::string, std::unique_ptr<VectorSink>> sinks;
    const std::thread::id caller = std::this_thread::get_id();
    log.result = reader.ExtractAll(
        [&](const FileEntry& f) -> ByteSink* {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            log.calls.push_back("open " + f.name);
            return (sinks[f.name] = std::make_unique<VectorSink>()).get();
        },
        [&](const FileEntry& f, const CabError& e) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            log.calls.push_back("done " + f.name + " " + CabErrcName(e.code) + " " + e.message);
            if (sinks.count(f.name))
                log.bytes[f.name] = sinks[f.name]->bytes;
        });
    return log;
}

// The same calls in the same order, the same bytes and the same error on one thread and
// on several; the spoiled folder fails only its own files from the bad block on.
TEST(ParallelExtract, MatchesOneThreadIncludingASpoiledFolder) {
    std::map<std::string, std::vector<uint8_t>> contents;
    const std::vector<uint8_t> cabinet = FourFolders(&contents);
    const ExtractLog single = ExtractWith(cabinet, 1);
    for (unsigned threads : {2u, 4u, 0u}) {
        const ExtractLog parallel = ExtractWith(cabinet, threads);
        EXPECT_EQ(parallel.calls, single.calls) << threads;
        EXPECT_EQ(parallel.bytes, single.bytes) << threads;
        EXPECT_EQ(parallel.result.code, single.result.code);
        EXPECT_EQ(parallel.result.message, single.result.message);
    }
    EXPECT_EQ(single.result.code, CabErrc::Checksum);
    for (const char* good : {"f0_0", "f0_2", "f1_shared", "f1_2", "f2_0", "f2_1", "f3_0", "f3_2"})
        EXPECT_EQ(single.bytes.at(good), contents[good]) << good;
    // Block 3 of folder 2 (bytes 98304 on) is bad: f2_2 fails, nothing else.
    size_t failed = 0;
    for (const std::string& call : single.calls) {
        if (call.rfind("done", 0) == 0 && call.find("no error") == std::string::npos) {
            ++failed;
            EXPECT_NE(call.find(" f2_"), std::string::npos) << call;
        }
    }
    EXPECT_EQ(failed, 1u);
}

}  // namespace
}  // namespace cab
