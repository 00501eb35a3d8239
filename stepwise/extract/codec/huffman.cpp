#include "codec/huffman.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace cab::codec {
namespace {

// The largest tree LZX has is the main tree of a 2^21 window: 256 + 50 * 8 symbols.
constexpr int kMaxSymbols = 1024;
// A link keeps a subtable's offset in 16 bits.
constexpr size_t kMaxTableSize = size_t{1} << 16;

}  // namespace

bool HuffmanTable::Build(const uint8_t* lengths, int count, int rootBits) {
    assert(count <= kMaxSymbols && rootBits >= 1 && rootBits <= kMaxCodeLength);
    // Every subtable holds at least one code, so there are at most `count` of them.
    assert((size_t{1} << rootBits) + size_t(count) * (size_t{1} << (kMaxCodeLength - rootBits)) <=
           kMaxTableSize);
    uint16_t counts[kMaxCodeLength + 1] = {};
    for (int s = 0; s < count; ++s) {
        if (lengths[s] > kMaxCodeLength)
            return false;
        ++counts[lengths[s]];
    }
    counts[0] = 0;
    // Over-subscription check: the code space left after each length must stay >= 0.
    int left = 1;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        left = (left << 1) - counts[len];
        if (left < 0)
            return false;
    }
    int maxLen = kMaxCodeLength;
    while (maxLen > 0 && counts[maxLen] == 0)
        --maxLen;
    const int root = rootBits;
    constexpr uint32_t kNone = uint32_t{kNoSymbol} << 16;
    table_.assign(size_t{1} << root, kNone);
    if (maxLen == 0)
        return true;

    // Symbols in canonical order (by length, then symbol) with their codes left-justified to
    // 16 bits; along this order the codes strictly increase.
    uint16_t offsets[kMaxCodeLength + 2] = {};
    for (int len = 1; len <= kMaxCodeLength; ++len)
        offsets[len + 1] = static_cast<uint16_t>(offsets[len] + counts[len]);
    uint16_t sorted[kMaxSymbols];
    for (int s = 0; s < count; ++s) {
        if (lengths[s])
            sorted[offsets[lengths[s]]++] = static_cast<uint16_t>(s);
    }
    uint32_t codes[kMaxSymbols];
    int total = 0;
    uint32_t code = 0;
    for (int len = 1; len <= maxLen; ++len) {
        for (int k = 0; k < counts[len]; ++k, ++code)
            codes[total++] = code << (kMaxCodeLength - len);
        code <<= 1;
    }

    int i = 0;
    for (; i < total && lengths[sorted[i]] <= root; ++i) {
        const int len = lengths[sorted[i]];
        const uint32_t entry = uint32_t{sorted[i]} << 16 | static_cast<uint32_t>(len);
        const uint32_t first = codes[i] >> (kMaxCodeLength - root);
        std::fill_n(table_.begin() + first, size_t{1} << (root - len), entry);
    }
    // Longer codes sharing a root prefix are consecutive here, the longest last.
    while (i < total) {
        const uint32_t prefix = codes[i] >> (kMaxCodeLength - root);
        int end = i + 1;
        while (end < total && codes[end] >> (kMaxCodeLength - root) == prefix)
            ++end;
        const int width = lengths[sorted[end - 1]];  // root plus the subtable's index bits
        const size_t offset = table_.size();
        table_.resize(offset + (size_t{1} << (width - root)), kNone);
        table_[prefix] =
            static_cast<uint32_t>(offset) << 16 | kLink | static_cast<uint32_t>(width - root);
        const uint32_t mask = (1u << (width - root)) - 1;
        for (; i < end; ++i) {
            const int len = lengths[sorted[i]];
            const uint32_t entry = uint32_t{sorted[i]} << 16 | static_cast<uint32_t>(len);
            const uint32_t first = (codes[i] >> (kMaxCodeLength - width)) & mask;
            std::fill_n(table_.begin() + static_cast<ptrdiff_t>(offset + first),
                        size_t{1} << (width - len), entry);
        }
    }
    return true;
}

}  // namespace cab::codec
