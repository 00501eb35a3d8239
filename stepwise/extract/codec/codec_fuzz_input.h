// Input layout shared by the codec fuzzers: a sequence of blocks, each a little-endian u16
// uncompressed size (taken modulo 32769), a u16 compressed size (cut to what is left) and
// the compressed bytes. Codecs that take a window read it from the first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/block_decoder.h"

namespace cab::codec {

// Calls block(in, inSize, outSize) for each block in the input until it returns false.
template <class Block>
void ForEachFuzzBlock(const uint8_t* data, size_t size, Block block) {
    while (size >= 4) {
        const size_t outSize = (data[0] | (data[1] << 8)) % (kMaxBlockOutput + 1);
        size_t inSize = data[2] | (data[3] << 8);
        data += 4;
        size -= 4;
        if (inSize > size)
            inSize = size;
        if (!block(data, inSize, outSize))
            return;
        data += inSize;
        size -= inSize;
    }
}

inline void FuzzBlocks(BlockDecoder& decoder, const uint8_t* data, size_t size) {
    std::vector<uint8_t> out(kMaxBlockOutput);
    ForEachFuzzBlock(data, size, [&](const uint8_t* in, size_t inSize, size_t outSize) {
        return decoder.DecodeBlock(in, inSize, out.data(), outSize);
    });
}

}  // namespace cab::codec
