// Input layout shared by the codec fuzzers: a sequence of blocks, each a little-endian u16
// uncompressed size (taken modulo 32769), a u16 compressed size (cut to what is left) and
// the compressed bytes. Codecs that take a window read it from the first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/block_decoder.h"

namespace cab::codec {

inline void FuzzBlocks(BlockDecoder& decoder, const uint8_t* data, size_t size) {
    std::vector<uint8_t> out(kMaxBlockOutput);
    while (size >= 4) {
        const size_t outSize = (data[0] | (data[1] << 8)) % (kMaxBlockOutput + 1);
        size_t inSize = data[2] | (data[3] << 8);
        data += 4;
        size -= 4;
        if (inSize > size)
            inSize = size;
        if (!decoder.DecodeBlock(data, inSize, out.data(), outSize))
            return;
        data += inSize;
        size -= inSize;
    }
}

}  // namespace cab::codec
