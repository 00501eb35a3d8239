#include "codec/huffman.h"

#include <cstddef>

namespace cab::codec {

bool HuffmanTable::Build(const uint8_t* lengths, int count, int tableBits) {
    tableBits_ = tableBits;
    fast_.assign(size_t{1} << tableBits, Entry{});
    for (uint16_t& c : counts_)
        c = 0;
    symbols_.clear();
    for (int s = 0; s < count; ++s) {
        if (lengths[s] > kMaxCodeLength)
            return false;
        ++counts_[lengths[s]];
    }
    counts_[0] = 0;
    // Over-subscription check: the code space left after each length must stay >= 0.
    int left = 1;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        left = (left << 1) - counts_[len];
        if (left < 0)
            return false;
    }
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        for (int s = 0; s < count; ++s) {
            if (lengths[s] == len)
                symbols_.push_back(static_cast<uint16_t>(s));
        }
    }
    // Fill the fast table with every code no longer than tableBits.
    uint32_t code = 0;
    size_t index = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        for (int k = 0; k < counts_[len]; ++k, ++index, ++code) {
            if (len > tableBits)
                continue;
            const uint32_t first = code << (tableBits - len);
            const uint32_t n = 1u << (tableBits - len);
            for (uint32_t i = 0; i < n; ++i)
                fast_[first + i] = Entry{symbols_[index], static_cast<uint8_t>(len)};
        }
        code <<= 1;
    }
    return true;
}

int HuffmanTable::DecodeSlow(uint32_t peek16, int* length) const {
    int code = 0;
    int first = 0;
    int index = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        code |= (peek16 >> (16 - len)) & 1;
        const int count = counts_[len];
        if (code - first < count) {
            *length = len;
            return symbols_[index + (code - first)];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

}  // namespace cab::codec
