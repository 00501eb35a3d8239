#include "cab/byte_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

namespace cab {
namespace {

TEST(ByteSources, ReadWithinAndPastTheEnd) {
    const std::string path = ::testing::TempDir() + "byte_io_test.bin";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("0123456789", f);
    std::fclose(f);

    std::unique_ptr<FileSource> file = FileSource::Open(path);
    ASSERT_NE(file, nullptr);
    MemorySource memory(reinterpret_cast<const uint8_t*>("0123456789"), 10);
    for (ByteSource* source :
         {static_cast<ByteSource*>(file.get()), static_cast<ByteSource*>(&memory)}) {
        char buffer[8] = {};
        EXPECT_EQ(source->ReadAt(7, buffer, 8), 3);  // short at the end
        EXPECT_EQ(std::string(buffer, 3), "789");
        EXPECT_EQ(source->ReadAt(2, buffer, 4), 4);  // backwards: a seek
        EXPECT_EQ(std::string(buffer, 4), "2345");
        EXPECT_EQ(source->ReadAt(6, buffer, 2), 2);  // straight on
        EXPECT_EQ(std::string(buffer, 2), "67");
        EXPECT_EQ(source->ReadAt(10, buffer, 1), 0);
        EXPECT_EQ(source->ReadAt(1u << 31, buffer, 1), 0);
    }
    file.reset();
    std::remove(path.c_str());
    EXPECT_EQ(FileSource::Open(path), nullptr);
}

// Bytes no two reads at different offsets could mistake for each other.
std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    return bytes;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

// Reads much larger than the source's read-ahead windows and much smaller, forwards,
// backwards and across the windows' edges, against the file's bytes.
TEST(ByteSources, FileReadsAgreeWithTheFileAcrossItsBuffer) {
    const std::string path = ::testing::TempDir() + "byte_io_large_test.bin";
    const std::vector<uint8_t> bytes = Noise(700000, 5);
    ASSERT_TRUE(WriteFile(path, bytes));

    std::unique_ptr<FileSource> file = FileSource::Open(path);
    ASSERT_NE(file, nullptr);
    struct Read {
        uint64_t offset;
        size_t count;
    };
    const Read reads[] = {{0, 8},        {8, 7000},   {7008, 300000},  {307008, 3}, {262140, 10},
                          {100, 600000}, {524285, 6}, {690000, 20000}, {1, 1},      {699999, 1}};
    std::vector<uint8_t> buffer(600000);
    for (const Read& r : reads) {
        const size_t expected = static_cast<size_t>(
            std::min<uint64_t>(r.count, bytes.size() - std::min<uint64_t>(r.offset, bytes.size())));
        ASSERT_EQ(file->ReadAt(r.offset, buffer.data(), r.count), static_cast<int64_t>(expected))
            << r.offset;
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(expected),
                               bytes.begin() + static_cast<ptrdiff_t>(r.offset)))
            << r.offset;
    }
    file.reset();
    std::remove(path.c_str());
}

// Folders decoded at once each read their blocks in order from their own place in the file.
TEST(ByteSources, InterleavedReadersEachGetTheirOwnBytes) {
    const std::string path = ::testing::TempDir() + "byte_io_interleaved_test.bin";
    const std::vector<uint8_t> bytes = Noise(1000003, 11);
    ASSERT_TRUE(WriteFile(path, bytes));

    std::unique_ptr<FileSource> file = FileSource::Open(path);
    ASSERT_NE(file, nullptr);
    // More readers than the source keeps windows for, so windows are taken from each other.
    uint64_t at[FileSource::kWindows + 2] = {};
    for (size_t r = 0; r < std::size(at); ++r)
        at[r] = r * (bytes.size() / std::size(at)) + r;
    at[std::size(at) - 1] = bytes.size() - 60000;  // runs into the end of the file
    std::vector<uint8_t> buffer(9000);
    for (int round = 0; round < 40; ++round) {
        for (size_t r = 0; r < std::size(at); ++r) {
            if (r % 2 && round % 3 == 0)
                continue;  // readers do not take turns evenly
            const size_t count = 1000 + (round * 397 + r * 1201) % 8000;
            const size_t expected =
                static_cast<size_t>(std::min<uint64_t>(count, bytes.size() - at[r]));
            ASSERT_EQ(file->ReadAt(at[r], buffer.data(), count), static_cast<int64_t>(expected))
                << "reader " << r << " at " << at[r];
            ASSERT_TRUE(std::equal(buffer.begin(),
                                   buffer.begin() + static_cast<ptrdiff_t>(expected),
                                   bytes.begin() + static_cast<ptrdiff_t>(at[r])))
                << "reader " << r << " at " << at[r];
            at[r] += expected;
        }
    }
    // The last reader ran into the end of the file: reads there and past it come back short.
    EXPECT_EQ(at[std::size(at) - 1], bytes.size());
    EXPECT_EQ(file->ReadAt(bytes.size() - 2, buffer.data(), 10), 2);
    EXPECT_EQ(file->ReadAt(bytes.size(), buffer.data(), 10), 0);
    file.reset();
    std::remove(path.c_str());
}

}  // namespace
}  // namespace cab
