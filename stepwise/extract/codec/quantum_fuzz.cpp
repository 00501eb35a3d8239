#include "codec/codec_fuzz_input.h"
#include "codec/quantum_decoder.h"

// First byte: the window, 2^10 .. 2^21.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int span = cab::codec::kQuantumMaxWindowBits - cab::codec::kQuantumMinWindowBits + 1;
    cab::codec::QuantumDecoder decoder(cab::codec::kQuantumMinWindowBits + data[0] % span);
    cab::codec::FuzzBlocks(decoder, data + 1, size - 1);
    return 0;
}
