#include "cab/byte_io.h"

#include <gtest/gtest.h>

#include <cstdio>

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

}  // namespace
}  // namespace cab
