// Holds the MSZIP decoder to zlib on arbitrary blocks: both must accept or refuse each block
// alike, and accepted blocks must decode to the same bytes. Input layout as codec_fuzz_input.h.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/mszip_decoder.h"
#include "codec/zlib_mszip_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cab::codec::MszipDecoder ours;
    cab::codec::ZlibMszipReference zlib;
    std::vector<uint8_t> mine(cab::codec::kMaxBlockOutput), theirs(cab::codec::kMaxBlockOutput);
    while (size >= 4) {
        const size_t outSize = (data[0] | (data[1] << 8)) % (cab::codec::kMaxBlockOutput + 1);
        size_t inSize = data[2] | (data[3] << 8);
        data += 4;
        size -= 4;
        if (inSize > size)
            inSize = size;
        const bool okOurs = ours.DecodeBlock(data, inSize, mine.data(), outSize);
        const bool okZlib = zlib.DecodeBlock(data, inSize, theirs.data(), outSize);
        if (okOurs != okZlib) {
            std::fprintf(stderr, "decoders disagree: ours %s (%s), zlib %s\n",
                         okOurs ? "accepts" : "refuses", ours.error().c_str(),
                         okZlib ? "accepts" : "refuses");
            std::abort();
        }
        if (!okOurs)
            return 0;
        if (std::memcmp(mine.data(), theirs.data(), outSize) != 0) {
            std::fprintf(stderr, "decoders produce different bytes\n");
            std::abort();
        }
        data += inSize;
        size -= inSize;
    }
    return 0;
}
