// Extraction decodes each folder once, whatever the file table's order or overlaps, and
// errors reach as far as their class says. Blocks are counted by the reads of their headers.
#include <gtest/gtest.h>

#include <map>

#include "cab/cab_reader.h"
#include "cab/cab_testing.h"

namespace cab {
namespace {

using testing::Cab;
using testing::Sample;
using testing::Serialize;

// A memory source that counts data-block header reads (one per block decoded) and can fail
// the reads of one byte range once, like a medium with a bad spot.
class CountingSource final : public ByteSource {
  public:
    explicit CountingSource(const std::vector<uint8_t>& bytes) : inner_(bytes) {}
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (count == kDataSize)
            ++*blockReads;
        if (*failOnce && offset <= failAt && failAt < offset + count) {
            *failOnce = false;
            return -1;
        }
        return inner_.ReadAt(offset, buffer, count);
    }
    std::shared_ptr<int> blockReads = std::make_shared<int>(0);
    std::shared_ptr<bool> failOnce = std::make_shared<bool>(false);
    uint64_t failAt = 0;

  private:
    MemorySource inner_;
};

struct Outcome {
    std::map<size_t, std::vector<uint8_t>> files;  // by index
    std::map<size_t, CabError> errors;
    std::vector<size_t> opened;
    CabError result;
};

Outcome ExtractByIndex(CabinetReader& reader) {
    Outcome run;
    std::map<const FileEntry*, VectorSink> sinks;
    auto index = [&](const FileEntry& f) { return static_cast<size_t>(&f - &reader.Files()[0]); };
    run.result = reader.ExtractAll(
        [&](const FileEntry& f) -> ByteSink* {
            run.opened.push_back(index(f));
            return &sinks[&f];
        },
        [&](const FileEntry& f, const CabError& e) {
            if (e)
                run.errors[index(f)] = e;
            else
                run.files[index(f)] = sinks[&f].bytes;
        });
    return run;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& data, size_t from, size_t size) {
    return {data.begin() + from, data.begin() + from + size};
}

TEST(ExtractOrder, OverlappingAndReversedFilesDecodeEachBlockOnce) {
    const auto data = Sample(16 * 32768, 31);  // 16 stored blocks
    Cab cab;
    cab.folders.push_back({kMethodNone, testing::StoredBlocks(data)});
    // 40 files, each overlapping the next, listed from the last to the first; duplicates
    // of one range; an empty file; a file at the very end.
    for (int i = 39; i >= 0; --i)
        cab.files.push_back({"f" + std::to_string(i), 100000, static_cast<uint32_t>(i * 9000), 0});
    for (int i = 0; i < 5; ++i)
        cab.files.push_back({"dup" + std::to_string(i), 5000, 70000, 0});
    cab.files.push_back({"empty", 0, 1234, 0});
    cab.files.push_back({"last", 1000, static_cast<uint32_t>(data.size() - 1000), 0});
    const auto bytes = Serialize(cab);
    auto source = std::make_unique<CountingSource>(bytes);
    auto reads = source->blockReads;
    CabinetReader reader;
    ASSERT_FALSE(reader.Open(std::move(source), "order.cab"));
    Outcome run = ExtractByIndex(reader);
    EXPECT_FALSE(run.result) << run.result.message;
    EXPECT_EQ(*reads, 16) << "each of the 16 blocks decoded once";
    ASSERT_EQ(run.files.size(), reader.Files().size());
    for (size_t i = 0; i < reader.Files().size(); ++i) {
        const FileEntry& f = reader.Files()[i];
        EXPECT_EQ(run.files[i], Slice(data, f.folderOffset, f.size)) << f.name;
    }

    // Decoding stops after the last byte asked for: a test of the first blocks' files only.
    Cab front;
    front.folders.push_back({kMethodNone, testing::StoredBlocks(data)});
    front.files.push_back({"b", 1000, 40000, 0});
    front.files.push_back({"a", 1000, 0, 0});
    auto frontSource = std::make_unique<CountingSource>(Serialize(front));
    reads = frontSource->blockReads;
    ASSERT_FALSE(reader.Open(std::move(frontSource), "front.cab"));
    EXPECT_FALSE(reader.Test());
    EXPECT_EQ(*reads, 2);
}

// The parser bounds every file by the blocks its folder declares (32 KB each); a file
// that fits that bound but not the bytes the blocks really hold fails once they run out.
TEST(ExtractOrder, AFileBeyondTheFolderFailsWithoutEndlessWork) {
    const auto data = Sample(2 * 32768 + 100, 32);
    Cab cab;
    cab.folders.push_back({kMethodNone, testing::StoredBlocks(data)});
    cab.files.push_back({"inside", 1000, 0, 0});
    cab.files.push_back({"beyond", 90000, 0x10, 0});
    auto source = std::make_unique<CountingSource>(Serialize(cab));
    auto reads = source->blockReads;
    CabinetReader reader;
    ASSERT_FALSE(reader.Open(std::move(source), "short.cab"));
    Outcome run = ExtractByIndex(reader);
    EXPECT_EQ(run.files[0], Slice(data, 0, 1000));
    EXPECT_EQ(run.errors[1].code, CabErrc::Corrupt);
    EXPECT_EQ(*reads, 3);
}

// A failing read stops extraction: the next folder is not decoded, and its files are
// reported with the read error. A corrupt folder, by contrast, spoils only itself.
TEST(ExtractOrder, AReadFailureStopsWhileAFolderErrorSpoilsOnlyItsFolder) {
    const auto one = Sample(3 * 32768, 33), two = Sample(40000, 34);
    Cab cab;
    cab.folders.push_back({kMethodNone, testing::StoredBlocks(one)});
    cab.folders.push_back({kMethodNone, testing::StoredBlocks(two)});
    cab.files.push_back({"one", static_cast<uint32_t>(one.size()), 0, 0});
    cab.files.push_back({"two", static_cast<uint32_t>(two.size()), 0, 1});
    const auto bytes = Serialize(cab);
    // The second data block of folder 0 sits after the first one's header and data.
    uint32_t firstData = 0;
    for (int k = 0; k < 4; ++k)
        firstData |= static_cast<uint32_t>(bytes[36 + k]) << (8 * k);  // coffCabStart
    auto source = std::make_unique<CountingSource>(bytes);
    source->failAt = firstData + kDataSize + 32768 + 2;
    *source->failOnce = true;
    CabinetReader reader;
    ASSERT_FALSE(reader.Open(std::move(source), "io.cab"));
    Outcome run = ExtractByIndex(reader);
    EXPECT_EQ(run.result.code, CabErrc::Io) << run.result.message;
    EXPECT_EQ(run.errors[0].code, CabErrc::Io);
    EXPECT_EQ(run.errors[1].code, CabErrc::Io);
    EXPECT_EQ(run.opened, std::vector<size_t>{0}) << "the second folder was decoded";

    // The same cabinet with folder 0's second block truncated (a folder error) still gives
    // the second folder.
    Cab bad = cab;
    bad.folders[0].blocks[1].uncompressed = 40000;
    ASSERT_FALSE(reader.Open(std::make_unique<MemorySource>(Serialize(bad)), "corrupt.cab"));
    run = ExtractByIndex(reader);
    EXPECT_EQ(run.errors[0].code, CabErrc::Corrupt);
    EXPECT_EQ(run.files[1], two);
}

}  // namespace
}  // namespace cab
