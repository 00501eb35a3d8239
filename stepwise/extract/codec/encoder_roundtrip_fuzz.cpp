// Round trip of the encoders through the decoders on arbitrary data: any input must come
// back byte for byte. The first byte picks the method and its settings, the second how often
// the rest is repeated (so short inputs still span several 32 KB frames and LZX blocks).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "codec/lzx_decoder.h"
#include "codec/lzx_encoder.h"
#include "codec/mszip_decoder.h"
#include "codec/mszip_encoder.h"

using namespace cab::codec;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const size_t repeats = 1 + data[1] % 48;
    std::vector<uint8_t> input;
    for (size_t r = 0; r < repeats; ++r)
        input.insert(input.end(), data + 2, data + size);

    std::unique_ptr<BlockEncoder> encoder;
    std::unique_ptr<BlockDecoder> decoder;
    if (mode & 1) {
        LzxEncoderOptions options;
        options.windowBits = 15 + (mode >> 1) % 7;
        options.translateCalls = (mode & 0x10) != 0;
        options.framesPerBlock = 1 + (mode >> 5) % 4;
        options.maxChain = (mode & 0x80) ? 4 : 32;
        encoder = std::make_unique<LzxEncoder>(options);
        decoder = std::make_unique<LzxDecoder>(options.windowBits);
    } else {
        encoder = std::make_unique<MszipEncoder>(1 + (mode >> 1) % 9);
        decoder = std::make_unique<MszipDecoder>();
    }
    // Feed in uneven pieces, as a cabinet writer reading files would.
    const size_t piece = 1 + mode * 37;
    for (size_t i = 0; i < input.size(); i += piece)
        encoder->Write(input.data() + i, std::min(piece, input.size() - i));
    encoder->Finish();

    std::vector<uint8_t> output;
    for (const EncodedBlock& block : encoder->TakeBlocks()) {
        if (block.uncompressedSize == 0 || block.uncompressedSize > kMaxBlockOutput ||
            block.data.size() > kMaxBlockInput)
            std::abort();
        std::vector<uint8_t> frame(block.uncompressedSize);
        if (!decoder->DecodeBlock(block.data.data(), block.data.size(), frame.data(), frame.size()))
            std::abort();
        output.insert(output.end(), frame.begin(), frame.end());
    }
    if (output != input)
        std::abort();
    return 0;
}
