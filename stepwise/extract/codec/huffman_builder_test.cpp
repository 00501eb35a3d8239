#include "codec/huffman_builder.h"

#include <gtest/gtest.h>

#include <vector>

namespace cab::codec {
namespace {

// Sum of 2^-length over used symbols, scaled by 2^16: exactly 65536 for a complete code.
uint32_t Kraft(const std::vector<uint8_t>& lengths) {
    uint32_t sum = 0;
    for (uint8_t l : lengths)
        sum += l ? (1u << (16 - l)) : 0;
    return sum;
}

// Lengths stay within the limit and always form a complete code, the way table-driven
// decoders need them; rarer symbols never get shorter codes.
TEST(HuffmanBuilder, BuildsCompleteLimitedCodes) {
    std::vector<uint32_t> fib(40);
    fib[0] = fib[1] = 1;
    for (size_t i = 2; i < fib.size(); ++i)
        fib[i] = fib[i - 1] + fib[i - 2];  // would need 39-bit codes unlimited
    std::vector<uint8_t> lengths(fib.size());
    BuildCodeLengths(fib.data(), fib.size(), 16, lengths.data());
    EXPECT_EQ(Kraft(lengths), 65536u);
    for (size_t i = 0; i < lengths.size(); ++i) {
        EXPECT_LE(lengths[i], 16);
        if (i > 0) {
            EXPECT_LE(lengths[i], lengths[i - 1]);
        }
    }

    std::vector<uint32_t> sparse(20, 0);
    sparse[3] = 10;
    sparse[7] = 1;
    sparse[19] = 1;
    std::vector<uint8_t> l2(20);
    BuildCodeLengths(sparse.data(), sparse.size(), 15, l2.data());
    EXPECT_EQ(Kraft(l2), 65536u);
    EXPECT_EQ(l2[3], 1);
    EXPECT_EQ(l2[0], 0);

    // One used symbol, or none, still gives two one-bit codes.
    std::vector<uint32_t> lone(8, 0);
    lone[5] = 3;
    std::vector<uint8_t> l3(8);
    BuildCodeLengths(lone.data(), lone.size(), 7, l3.data());
    EXPECT_EQ(l3[5], 1);
    EXPECT_EQ(l3[0], 1);
    EXPECT_EQ(Kraft(l3), 65536u);
    std::vector<uint32_t> none(8, 0);
    BuildCodeLengths(none.data(), none.size(), 7, l3.data());
    EXPECT_EQ(Kraft(l3), 65536u);
}

// Canonical codes: shorter codes first, equal lengths in symbol order, prefix-free.
TEST(HuffmanBuilder, AssignsCanonicalCodes) {
    const std::vector<uint8_t> lengths = {3, 3, 3, 3, 3, 2, 4, 4};
    std::vector<uint16_t> codes(lengths.size());
    BuildCanonicalCodes(lengths.data(), lengths.size(), codes.data());
    EXPECT_EQ(codes, (std::vector<uint16_t>{2, 3, 4, 5, 6, 0, 14, 15}));
    for (size_t a = 0; a < lengths.size(); ++a) {
        for (size_t b = 0; b < lengths.size(); ++b) {
            if (a == b || lengths[a] > lengths[b])
                continue;
            EXPECT_NE(codes[b] >> (lengths[b] - lengths[a]), codes[a]) << a << " prefixes " << b;
        }
    }
}

}  // namespace
}  // namespace cab::codec
