#include "codec/mszip_encoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "codec/block_decoder.h"

namespace cab::codec {
namespace {

// Inflates one MSZIP block with zlib directly, the previous block's output as dictionary:
// an independent check of the format.
std::vector<uint8_t> Inflate(const EncodedBlock& block, const std::vector<uint8_t>& history) {
    EXPECT_GE(block.data.size(), 2u);
    EXPECT_EQ(block.data[0], 'C');
    EXPECT_EQ(block.data[1], 'K');
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    if (!history.empty())
        inflateSetDictionary(&z, history.data(), static_cast<uInt>(history.size()));
    std::vector<uint8_t> out(block.uncompressedSize);
    z.next_in = const_cast<Bytef*>(block.data.data() + 2);
    z.avail_in = static_cast<uInt>(block.data.size() - 2);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(z.avail_out, 0u);
    inflateEnd(&z);
    return out;
}

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> out(size);
    for (uint8_t& b : out) {
        seed = seed * 1664525 + 1013904223;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return out;
}

// Blocks are "CK" plus a deflate stream that refers back into the previous block: a block
// that repeats the previous one costs a few bytes; noise stays within the CFDATA limit.
TEST(MszipEncoder, EncodesBlocksWithCrossBlockHistory) {
    std::vector<uint8_t> noise = Pattern(32768, 1);
    std::vector<uint8_t> data = noise;
    // The second block repeats the first one's second half twice; zlib reaches back at
    // most 32506 bytes, so a repeat one whole block back would not do.
    data.insert(data.end(), noise.begin() + 16384, noise.end());
    data.insert(data.end(), noise.begin() + 16384, noise.end());
    std::vector<uint8_t> tail = Pattern(1000, 2);
    data.insert(data.end(), tail.begin(), tail.end());

    MszipEncoder encoder;
    encoder.Write(data.data(), 5000);
    encoder.Write(data.data() + 5000, data.size() - 5000);
    encoder.Finish();
    std::vector<EncodedBlock> blocks = encoder.TakeBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].uncompressedSize, 32768u);
    EXPECT_EQ(blocks[2].uncompressedSize, 1000u);
    EXPECT_LE(blocks[0].data.size(), kMaxBlockInput);
    EXPECT_LT(blocks[1].data.size(), 400u);  // 32775 without the history

    std::vector<uint8_t> out, history;
    for (const EncodedBlock& b : blocks) {
        std::vector<uint8_t> plain = Inflate(b, history);
        out.insert(out.end(), plain.begin(), plain.end());
        history = plain;
    }
    EXPECT_EQ(out, data);
}

}  // namespace
}  // namespace cab::codec
