#include "codec/block_decoder.h"

#include <cstring>

namespace cab::codec {

bool StoredDecoder::DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    if (failed())
        return false;
    if (inSize != outSize)
        return Fail("stored block holds " + std::to_string(inSize) + " bytes but declares " +
                    std::to_string(outSize));
    if (outSize > kMaxBlockOutput)
        return Fail("stored block larger than 32768 bytes");
    if (outSize)
        std::memcpy(out, in, outSize);
    return true;
}

}  // namespace cab::codec
