#include "cab/mszip_marked_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cab/cab_parser.h"
#include "cab/cab_reader.h"
#include "cab/cab_testing.h"
#include "cab/folder_stream.h"
#include "cab/mszip_ahead.h"

namespace cab {
namespace {

constexpr size_t kBlock = 32768;

uint32_t Next(uint32_t& x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}

// Appends `size` random bytes: nothing for a compressor to refer back to.
void AppendFresh(std::vector<uint8_t>& out, size_t size, uint32_t& x) {
    for (size_t i = 0; i < size; ++i)
        out.push_back(static_cast<uint8_t>(Next(x) >> 11));
}

// Appends `size` bytes made of long copies from 8 to 32 KB back, with a little noise: every
// block refers far into the one before, and copies of copies carry history bytes on.
void AppendCopies(std::vector<uint8_t>& out, size_t size, uint32_t& x) {
    const size_t end = out.size() + size;
    while (out.size() < end) {
        const size_t distance = 8192 + Next(x) % 24000;
        const size_t length = std::min<size_t>(40 + Next(x) % 400, end - out.size());
        for (size_t i = 0; i < length; ++i)
            out.push_back(out[out.size() - distance]);
        if (out.size() < end && Next(x) % 4 == 0)
            out.push_back(static_cast<uint8_t>(Next(x)));
    }
}

// Random first block, copies for several blocks, three random blocks that break the chain
// of copies, then copies again.
std::vector<uint8_t> CopyHeavy() {
    uint32_t x = 12345;
    std::vector<uint8_t> data;
    AppendFresh(data, kBlock, x);
    AppendCopies(data, 5 * kBlock, x);
    AppendFresh(data, 3 * kBlock, x);
    AppendCopies(data, 3 * kBlock + 1000, x);  // a short last block
    return data;
}

std::vector<MarkedRunBlock> From(const std::vector<testing::Block>& blocks, size_t first) {
    std::vector<MarkedRunBlock> out;
    for (size_t i = first; i < blocks.size(); ++i)
        out.push_back({blocks[i].data.data(), blocks[i].data.size(), blocks[i].uncompressed});
    return out;
}

// Decoded from any block on over an unknown history and resolved with the real one, the
// output is what decoding from the folder's start gives: through copies of copies, through
// blocks that no longer reach back, and in the single-version tail.
TEST(MszipMarkedRun, ResolvesToTheSequentialBytesFromEveryStart) {
    const std::vector<uint8_t> data = CopyHeavy();
    const std::vector<testing::Block> blocks = testing::MszipBlocks(data);
    ASSERT_EQ(blocks.size(), 13u);
    MszipMarkedRun s;  // reused, as the helper does
    for (size_t first = 1; first < blocks.size(); ++first) {
        ASSERT_TRUE(s.Decode(From(blocks, first), blocks.size())) << first;
        const size_t at = first * kBlock;
        s.Resolve(data.data() + at - kBlock);
        ASSERT_EQ(s.size(), data.size() - at);
        EXPECT_TRUE(std::equal(s.output(), s.output() + s.size(), data.begin() + at)) << first;
        if (first == 1) {
            // Copies keep history bytes within the last 32 KB until the fresh blocks.
            EXPECT_GE(s.dependentBlocks(), 5u);
            EXPECT_LT(s.dependentBlocks(), 12u);
            EXPECT_GT(s.historyBytes(), 2 * kBlock);
        }
        if (first == 6 || first == 7) {
            EXPECT_LE(s.dependentBlocks(), 2u) << first;  // fresh bytes reach back little
        }
    }
}

// A folder whose bytes repeat every 30000 after a random first block: every block copies
// from the one before, so the markers of the run's history carry through every block to its
// end, and one pass resolves them to the bytes.
TEST(MszipMarkedRun, HistoryCarriedThroughEveryBlockResolves) {
    uint32_t x = 777;
    std::vector<uint8_t> data;
    AppendFresh(data, kBlock, x);
    for (size_t i = 0; i < 6 * kBlock + 3; ++i)
        data.push_back(data[data.size() - 30000]);
    const std::vector<testing::Block> blocks = testing::MszipBlocks(data);
    ASSERT_EQ(blocks.size(), 8u);
    MszipMarkedRun s;
    ASSERT_TRUE(s.Decode(From(blocks, 1), blocks.size()));
    EXPECT_EQ(s.dependentBlocks(), 7u);
    EXPECT_GT(s.historyBytes(), (data.size() - kBlock) * 9 / 10);
    s.Resolve(data.data());
    ASSERT_EQ(s.size(), data.size() - kBlock);
    EXPECT_TRUE(std::equal(s.output(), s.output() + s.size(), data.begin() + kBlock));
}

// The bound on blocks decoded twice is exact, and giving up leaves nothing half done.
TEST(MszipMarkedRun, GivesUpWhenHistoryBytesLastLongerThanAllowed) {
    const std::vector<uint8_t> data = CopyHeavy();
    const std::vector<testing::Block> blocks = testing::MszipBlocks(data);
    MszipMarkedRun s;
    ASSERT_TRUE(s.Decode(From(blocks, 1), blocks.size()));
    const size_t needed = s.dependentBlocks();
    EXPECT_FALSE(s.Decode(From(blocks, 1), needed - 1));
    EXPECT_FALSE(s.Decode(From(blocks, 1), 0));
    ASSERT_TRUE(s.Decode(From(blocks, 1), needed));
    s.Resolve(data.data());
    EXPECT_TRUE(std::equal(s.output(), s.output() + s.size(), data.begin() + kBlock));
}

// Whatever a sequential decoder refuses, the marked run refuses too: bad data in a block still
// reaching back, bad data in the single-version tail, a wrong signature, a declared size
// the stream does not fill or overflows.
TEST(MszipMarkedRun, RefusesBlocksTheDecoderRefuses) {
    const std::vector<uint8_t> data = CopyHeavy();
    const std::vector<testing::Block> good = testing::MszipBlocks(data);
    auto refused = [&](size_t block, auto spoil) {
        std::vector<testing::Block> blocks = good;
        spoil(blocks[block]);
        MszipMarkedRun s;
        return !s.Decode(From(blocks, 1), blocks.size());
    };
    auto badType = [](testing::Block& b) { b.data.assign({'C', 'K', 0xFF, 0xFF, 0xFF}); };
    EXPECT_TRUE(refused(2, badType));   // while still reaching back
    EXPECT_TRUE(refused(11, badType));  // in the tail
    EXPECT_TRUE(refused(3, [](testing::Block& b) { b.data[1] = 'Q'; }));
    EXPECT_TRUE(refused(4, [](testing::Block& b) { b.uncompressed -= 1; }));
    EXPECT_TRUE(refused(12, [](testing::Block& b) { b.uncompressed += 1; }));
    EXPECT_TRUE(refused(10, [](testing::Block& b) { b.data.resize(b.data.size() / 2); }));
}

struct Outcome {
    std::vector<uint8_t> bytes;
    CabErrc code = CabErrc::Ok;
    std::string message;
};

// Reads the whole folder in uneven pieces, through the stream's own buffer and straight
// into the caller's, with or without a helper decoding runs of `runBlocks` ahead.
Outcome ReadFolder(const std::vector<uint8_t>& cabinet, uint32_t runBlocks, bool patient) {
    MemorySource source(cabinet.data(), cabinet.size());
    Cabinet cab;
    EXPECT_FALSE(ParseCabinet(source, &cab));
    FolderStream stream({&source, &cab, 0}, nullptr);
    if (runBlocks)
        stream.DecodeAhead(runBlocks, patient);
    Outcome o;
    const uint64_t total = cab.files[0].size;
    size_t piece = 5000;
    while (o.bytes.size() < total) {
        const size_t n = std::min<uint64_t>(piece, total - o.bytes.size());
        const size_t at = o.bytes.size();
        o.bytes.resize(at + n);
        size_t delivered = n;
        CabError e = piece % 2 ? stream.Read(o.bytes.data() + at, n)
                               : stream.ReadInto(o.bytes.data() + at, n, &delivered);
        if (e) {
            o.bytes.resize(at + (piece % 2 ? 0 : delivered));
            o.code = e.code;
            o.message = e.message;
            break;
        }
        piece = piece * 3 % 100003 + 1;
    }
    return o;
}

// With a helper thread the folder's stream hands out the same bytes, and the same error at
// the same place, as on its own: for sound data, for bad data inside a run decoded ahead and
// for a checksum error there.
TEST(MszipAhead, StreamMatchesOneThreadOnSoundAndBadFolders) {
    const std::vector<uint8_t> data = CopyHeavy();
    testing::Cab cab = testing::SingleFolder({{"all", data}}, kMethodMszip);
    std::vector<std::vector<uint8_t>> cabinets{testing::Serialize(cab)};
    testing::Cab badData = cab;
    badData.folders[0].blocks[4].data.assign({'C', 'K', 0xFF, 0xFF, 0xFF});
    cabinets.push_back(testing::Serialize(badData));
    testing::Cab badSum = cab;
    badSum.folders[0].blocks[7].corruptChecksum = true;
    cabinets.push_back(testing::Serialize(badSum));

    const DecodeAheadCounts before = ReadDecodeAheadCounts();
    for (size_t c = 0; c < cabinets.size(); ++c) {
        const Outcome alone = ReadFolder(cabinets[c], 0, false);
        if (c == 0)
            EXPECT_EQ(alone.bytes, data);
        else
            EXPECT_NE(alone.code, CabErrc::Ok);
        // Patient: every run the helper decodes is taken. Impatient: the stream takes runs
        // over as it goes, whichever thread is faster.
        for (bool patient : {true, false}) {
            for (uint32_t run : {1u, 2u, 4u}) {
                const Outcome helped = ReadFolder(cabinets[c], run, patient);
                EXPECT_EQ(helped.code, alone.code) << c << " " << run;
                EXPECT_EQ(helped.message, alone.message) << c << " " << run;
                EXPECT_EQ(helped.bytes, alone.bytes) << c << " " << run;
            }
        }
    }
    EXPECT_GT(ReadDecodeAheadCounts().used, before.used + 10);
}

}  // namespace
}  // namespace cab

namespace cab {
namespace {

// Through the cabinet reader with the usual run length: a folder of many files long enough
// for runs decoded ahead extracts byte for byte as on one thread, with the same results.
TEST(MszipAhead, ReaderExtractsTheSameOnOneAndTwoThreads) {
    uint32_t x = 99;
    std::vector<uint8_t> data;
    AppendFresh(data, kBlock, x);
    AppendCopies(data, (3 * MszipAhead::kRunBlocks + 8) * kBlock, x);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (size_t at = 0, n = 0; at < data.size(); ++n) {
        const size_t size = std::min<size_t>(data.size() - at, 50000 + n * 7919 % 300000);
        files.push_back({"f" + std::to_string(n), {data.begin() + at, data.begin() + at + size}});
        at += size;
    }
    const std::vector<uint8_t> cabinet =
        testing::Serialize(testing::SingleFolder(files, kMethodMszip));
    auto extract = [&](unsigned threads) {
        CabinetReader reader;
        EXPECT_FALSE(reader.Open(std::make_unique<MemorySource>(cabinet), "t.cab", nullptr));
        reader.SetDecodeThreads(threads);
        reader.SetDecodeAhead(true);
        std::map<std::string, std::unique_ptr<VectorSink>> sinks;
        std::vector<std::string> results;
        const CabError e = reader.ExtractAll(
            [&](const FileEntry& f) {
                return (sinks[f.name] = std::make_unique<VectorSink>()).get();
            },
            [&](const FileEntry& f, const CabError& r) {
                results.push_back(f.name + " " + CabErrcName(r.code));
            });
        EXPECT_FALSE(e);
        std::map<std::string, std::vector<uint8_t>> bytes;
        for (auto& [name, sink] : sinks)
            bytes[name] = sink->bytes;
        return std::make_pair(results, bytes);
    };
    auto asked = [] {
        const DecodeAheadCounts c = ReadDecodeAheadCounts();
        return c.used + c.overtaken + c.gaveUp;
    };
    const uint64_t before = asked();
    const auto one = extract(1);
    EXPECT_EQ(asked(), before);  // one thread never starts the helper
    const auto two = extract(2);
    EXPECT_EQ(two.first, one.first);
    EXPECT_TRUE(two.second == one.second);
    for (const auto& [name, content] : files)
        EXPECT_TRUE(one.second.at(name) == content) << name;
    // The helper took part: its run was used, raced by the stream or given up.
    EXPECT_GT(asked(), before);
}

}  // namespace
}  // namespace cab
