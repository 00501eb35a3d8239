#include "codec/codec_fuzz_input.h"
#include "codec/mszip_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cab::codec::MszipDecoder decoder;
    cab::codec::FuzzBlocks(decoder, data, size);
    return 0;
}
