#include "codec/lzx_encoder.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/lzx_bits.h"
#include "codec/lzx_decoder.h"

namespace cab::codec {
namespace {

std::vector<uint8_t> Text(size_t size) {
    static const char* words[] = {"cabinet ", "folder ", "frame ", "window ", "the ",  "of ",
                                  "match ",   "offset ", "tree\n", "block ",  "data ", "a "};
    std::vector<uint8_t> out;
    uint32_t x = 1;
    while (out.size() < size) {
        x = x * 1103515245 + 12345;
        const char* w = words[(x >> 16) % 12];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
    std::vector<uint8_t> out(size);
    for (uint8_t& b : out) {
        seed = seed * 1664525 + 1013904223;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return out;
}

// 16-byte records of a few kinds: matches sit at multiples of 16 bytes, so the low three
// offset bits are nearly always zero, which aligned-offset blocks code almost for free.
std::vector<uint8_t> Records(size_t size) {
    std::vector<uint8_t> out;
    uint32_t x = 5;
    while (out.size() < size) {
        x = x * 1103515245 + 12345;
        uint8_t record[16];
        for (int i = 0; i < 16; ++i)
            record[i] = static_cast<uint8_t>(i < 12 ? (x >> 16) % 7 * 16 + i : (x >> (i * 2)));
        out.insert(out.end(), record, record + 16);
    }
    out.resize(size);
    return out;
}

// x86-like code: calls (E8 + relative target) to a few functions from many places.
std::vector<uint8_t> Calls(size_t size) {
    std::vector<uint8_t> out;
    uint32_t x = 9;
    while (out.size() + 16 < size) {
        x = x * 1103515245 + 12345;
        int32_t target = static_cast<int32_t>(1000 + (x >> 16) % 8 * 4096);
        int32_t rel = target - static_cast<int32_t>(out.size());
        const uint8_t code[] = {0x55,
                                0x8B,
                                0xEC,
                                0xE8,
                                static_cast<uint8_t>(rel),
                                static_cast<uint8_t>(rel >> 8),
                                static_cast<uint8_t>(rel >> 16),
                                static_cast<uint8_t>(rel >> 24),
                                0x5D,
                                0xC3};
        out.insert(out.end(), code, code + sizeof(code));
    }
    out.resize(size, 0xE8);  // E8 bytes in the last ten of a frame stay untranslated
    return out;
}

struct Encoded {
    std::vector<EncodedBlock> blocks;
    LzxEncoder::Stats stats;
    size_t size = 0;
};

Encoded Encode(const std::vector<uint8_t>& data, LzxEncoderOptions options = {}, size_t chunk = 0) {
    LzxEncoder encoder(options);
    if (chunk == 0)
        chunk = data.size() ? data.size() : 1;
    for (size_t i = 0; i < data.size(); i += chunk)
        encoder.Write(data.data() + i, std::min(chunk, data.size() - i));
    encoder.Finish();
    Encoded e;
    e.blocks = encoder.TakeBlocks();
    e.stats = encoder.stats();
    for (const EncodedBlock& b : e.blocks)
        e.size += b.data.size();
    return e;
}

std::vector<uint8_t> Decode(int windowBits, const std::vector<EncodedBlock>& blocks) {
    LzxDecoder decoder(windowBits);
    std::vector<uint8_t> out;
    for (const EncodedBlock& b : blocks) {
        std::vector<uint8_t> frame(b.uncompressedSize);
        if (!decoder.DecodeBlock(b.data.data(), b.data.size(), frame.data(), frame.size())) {
            ADD_FAILURE() << decoder.error();
            return {};
        }
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

// Each block kind is chosen where it is the cheapest, and every stream decodes back.
TEST(LzxEncoder, ChoosesEachBlockKindWhereItPays) {
    std::vector<uint8_t> noise = Noise(200000, 3);
    Encoded n = Encode(noise);
    EXPECT_GT(n.stats.uncompressedBlocks, 0);
    EXPECT_EQ(n.stats.verbatimBlocks + n.stats.alignedBlocks, 0);
    EXPECT_LE(n.size, noise.size() + noise.size() / 64);
    EXPECT_EQ(Decode(21, n.blocks), noise);

    std::vector<uint8_t> text = Text(200000);
    Encoded t = Encode(text);
    EXPECT_GT(t.stats.verbatimBlocks, 0);
    EXPECT_EQ(t.stats.uncompressedBlocks, 0);
    EXPECT_LT(t.size, text.size() / 3);
    EXPECT_GT(t.stats.repeatedOffsetMatches, 0u);
    EXPECT_EQ(Decode(21, t.blocks), text);

    std::vector<uint8_t> records = Records(200000);
    Encoded r = Encode(records, {.windowBits = 17});
    EXPECT_GT(r.stats.alignedBlocks, 0);
    EXPECT_EQ(Decode(17, r.blocks), records);

    // Kinds mixed in one stream, with the repeated offsets carried over uncompressed blocks.
    std::vector<uint8_t> mixed = text;
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    mixed.insert(mixed.end(), records.begin(), records.end());
    mixed.insert(mixed.end(), text.begin(), text.begin() + 70001);  // odd-sized last block
    for (int bits : {15, 18, 21}) {
        Encoded m = Encode(mixed, {.windowBits = bits, .framesPerBlock = 1});
        EXPECT_GT(m.stats.uncompressedBlocks, 0);
        EXPECT_GT(m.stats.verbatimBlocks + m.stats.alignedBlocks, 0);
        EXPECT_EQ(Decode(bits, m.blocks), mixed) << "window " << bits;
    }
}

// Output comes as 32 KB frames, each a whole number of 16-bit words within the CFDATA
// limit; a larger window finds the far repeats a small one cannot reach.
TEST(LzxEncoder, CutsWordAlignedFramesAndUsesTheWindow) {
    EXPECT_TRUE(Encode({}).blocks.empty());
    std::vector<uint8_t> one(32768, 'x');
    Encoded single = Encode(one);
    ASSERT_EQ(single.blocks.size(), 1u);
    EXPECT_EQ(single.blocks[0].uncompressedSize, 32768u);

    std::vector<uint8_t> part = Noise(100000, 11);
    std::vector<uint8_t> data = part;
    data.insert(data.end(), part.begin(), part.end());  // repeats 100000 bytes back
    for (int bits : {15, 17}) {
        Encoded e = Encode(data, {.windowBits = bits});
        ASSERT_EQ(e.blocks.size(), (data.size() + 32767) / 32768);
        for (size_t i = 0; i < e.blocks.size(); ++i) {
            EXPECT_EQ(e.blocks[i].uncompressedSize,
                      i + 1 < e.blocks.size() ? 32768u : data.size() % 32768);
            EXPECT_EQ(e.blocks[i].data.size() % 2, 0u);
            EXPECT_LE(e.blocks[i].data.size(), kMaxBlockInput);
        }
        EXPECT_EQ(Decode(bits, e.blocks), data);
        if (bits == 15) {
            EXPECT_GT(e.size, data.size() * 9 / 10);
        } else {
            EXPECT_LT(e.size, data.size() * 6 / 10);
        }
    }
}

// Matches reach exactly as far back as the window allows (its size minus 3), and no further.
TEST(LzxEncoder, ReachesTheWindowEdge) {
    const size_t reach = 32768 - 3;
    std::vector<uint8_t> part = Noise(reach, 21);
    std::vector<uint8_t> data = part;
    data.insert(data.end(), part.begin(), part.end());  // repeats at exactly the reach
    Encoded edge = Encode(data, {.windowBits = 15});
    EXPECT_LT(edge.size, data.size() * 6 / 10);
    EXPECT_EQ(Decode(15, edge.blocks), data);

    std::vector<uint8_t> beyond = Noise(reach + 1, 22);
    std::vector<uint8_t> far = beyond;
    far.insert(far.end(), beyond.begin(), beyond.end());  // one byte too far
    Encoded out = Encode(far, {.windowBits = 15});
    EXPECT_GT(out.size, far.size() * 9 / 10);
    EXPECT_EQ(Decode(15, out.blocks), far);
}

// Call translation makes repeated calls to one function identical, and undoes exactly.
TEST(LzxEncoder, TranslatesCalls) {
    std::vector<uint8_t> code = Calls(150000);
    Encoded with = Encode(code, {.translateCalls = true});
    Encoded without = Encode(code, {.translateCalls = false});
    EXPECT_LT(with.size, without.size * 8 / 10);
    EXPECT_EQ(Decode(21, with.blocks), code);
    EXPECT_EQ(Decode(21, without.blocks), code);
}

// Feeding the input in any pieces gives the same stream.
TEST(LzxEncoder, OutputDoesNotDependOnWriteSizes) {
    std::vector<uint8_t> data = Text(90000);
    std::vector<uint8_t> noise = Noise(40000, 5);
    data.insert(data.end(), noise.begin(), noise.end());
    Encoded whole = Encode(data);
    for (size_t chunk : {1u, 7u, 32768u, 40000u}) {
        Encoded pieces = Encode(data, {}, chunk);
        ASSERT_EQ(pieces.blocks.size(), whole.blocks.size());
        for (size_t i = 0; i < whole.blocks.size(); ++i)
            EXPECT_EQ(pieces.blocks[i].data, whole.blocks[i].data) << "chunk " << chunk;
    }
}

// The encoder's position slots agree with the decoder's tables at every slot edge.
TEST(LzxEncoder, PositionSlotsMatchTheDecoder) {
    for (int bits = 15; bits <= 21; ++bits)
        EXPECT_EQ(lzx::PositionSlots(bits), LzxPositionSlots(bits));
    for (int slot = 0; slot < 50; ++slot) {
        uint32_t base = LzxPositionBase(slot);
        EXPECT_EQ(lzx::SlotBase(slot), base) << slot;
        EXPECT_EQ(lzx::SlotExtraBits(slot), LzxExtraBits(slot)) << slot;
        EXPECT_EQ(lzx::SlotOf(base), slot);
        if (slot >= 4) {
            EXPECT_EQ(lzx::SlotOf(base + (1u << LzxExtraBits(slot)) - 1), slot);
        }
    }
    EXPECT_THROW(LzxEncoder({.windowBits = 22}), std::invalid_argument);
}

}  // namespace
}  // namespace cab::codec
