// Holds the MSZIP decoder to zlib on arbitrary blocks: both must accept or refuse each block
// alike, and accepted blocks must decode to the same bytes. Input layout as codec_fuzz_input.h.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/codec_fuzz_input.h"
#include "codec/mszip_decoder.h"
#include "codec/zlib_mszip_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cab::codec::MszipDecoder ours;
    cab::codec::ZlibMszipReference zlib;
    std::vector<uint8_t> mine(cab::codec::kMaxBlockOutput), theirs(cab::codec::kMaxBlockOutput);
    cab::codec::ForEachFuzzBlock(data, size, [&](const uint8_t* in, size_t inSize, size_t outSize) {
        const bool okOurs = ours.DecodeBlock(in, inSize, mine.data(), outSize);
        const bool okZlib = zlib.DecodeBlock(in, inSize, theirs.data(), outSize);
        if (okOurs != okZlib) {
            std::fprintf(stderr, "decoders disagree: ours %s (%s), zlib %s\n",
                         okOurs ? "accepts" : "refuses", ours.error().c_str(),
                         okZlib ? "accepts" : "refuses");
            std::abort();
        }
        if (okOurs && std::memcmp(mine.data(), theirs.data(), outSize) != 0) {
            std::fprintf(stderr, "decoders produce different bytes\n");
            std::abort();
        }
        return okOurs;
    });
    return 0;
}
