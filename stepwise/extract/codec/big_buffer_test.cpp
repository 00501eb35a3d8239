#include "codec/big_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace cab::codec {
namespace {

// Every size gives that many writable bytes, huge-page sized ones included (ASan checks the
// bounds); moving hands the memory over instead of sharing it.
TEST(BigBuffer, GivesWritableMemoryOfEverySize) {
    for (size_t size : {size_t{1}, size_t{4096}, BigBuffer::kHugePage - 1, BigBuffer::kHugePage,
                        BigBuffer::kHugePage + 16, 3 * BigBuffer::kHugePage + 5}) {
        BigBuffer buffer(size);
        ASSERT_NE(buffer.data(), nullptr) << size;
        EXPECT_EQ(buffer.size(), size);
        std::memset(buffer.data(), 0xA5, size);
        EXPECT_EQ(buffer.data()[size - 1], 0xA5);
#if defined(__linux__)
        // Where huge pages are asked for, the buffer starts on one.
        if (size >= BigBuffer::kHugePage) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.data()) % BigBuffer::kHugePage, 0u)
                << size;
        }
#endif
    }
    EXPECT_EQ(BigBuffer(0).data(), nullptr);

    BigBuffer a(100);
    a.data()[99] = 7;
    uint8_t* const memory = a.data();
    BigBuffer b(std::move(a));
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(b.data(), memory);
    BigBuffer c(10);
    c = std::move(b);
    EXPECT_EQ(c.data(), memory);
    EXPECT_EQ(c.size(), 100u);
    EXPECT_EQ(c.data()[99], 7);
}

}  // namespace
}  // namespace cab::codec
