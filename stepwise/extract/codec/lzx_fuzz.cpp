#include "codec/codec_fuzz_input.h"
#include "codec/lzx_decoder.h"

// First byte: the window, 2^15 .. 2^21.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int span = cab::codec::kLzxMaxWindowBits - cab::codec::kLzxMinWindowBits + 1;
    cab::codec::LzxDecoder decoder(cab::codec::kLzxMinWindowBits + data[0] % span);
    cab::codec::FuzzBlocks(decoder, data + 1, size - 1);
    return 0;
}
