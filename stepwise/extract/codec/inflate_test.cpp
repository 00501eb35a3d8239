#include "codec/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/mszip_decoder.h"
#include "codec/zlib_mszip_reference.h"

namespace cab::codec {
namespace {

struct Block {
    std::vector<uint8_t> data;  // "CK" and the deflate stream
    size_t outSize;
};

struct Outcome {
    bool ok = true;
    std::vector<uint8_t> bytes;  // everything decoded, block after block
    std::string error;
};

// Decodes the blocks with MszipDecoder, with zlib and with the 16-bit form of the inflater
// (over the same history as elements), checking block by block that all accept or all refuse,
// that the 16-bit form refuses for the same fault, and that accepted blocks are identical.
// Returns ours.
Outcome DecodeBoth(const std::vector<Block>& blocks) {
    MszipDecoder ours;
    ZlibMszipReference zlib;
    Inflater wideInflater;
    std::vector<uint16_t> wide;  // everything decoded so far, as elements
    Outcome outcome;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& b = blocks[i];
        std::vector<uint8_t> mine(b.outSize), theirs(b.outSize);
        const bool okOurs = ours.DecodeBlock(b.data.data(), b.data.size(), mine.data(), b.outSize);
        const bool okZlib =
            zlib.DecodeBlock(b.data.data(), b.data.size(), theirs.data(), b.outSize);
        EXPECT_EQ(okOurs, okZlib) << "block " << i << ": " << ours.error();

        const size_t at = wide.size();
        wide.resize(at + b.outSize + Inflater::kOutputSlack);
        size_t produced = 0;
        const Inflater::Result r = wideInflater.Inflate(
            b.data.data() + 2, b.data.size() - 2, wide.data() + at - std::min<size_t>(at, 32768),
            wide.data() + at, b.outSize, &produced);
        EXPECT_EQ(okOurs, r == Inflater::Result::Ok) << "block " << i << ": " << ours.error();
        if (r == Inflater::Result::BadData) {
            EXPECT_NE(ours.error().find(wideInflater.message()), std::string::npos)
                << wideInflater.message() << " / " << ours.error();
        }
        if (r == Inflater::Result::Short) {
            EXPECT_NE(ours.error().find("produced " + std::to_string(produced) + " bytes"),
                      std::string::npos);
        }
        wide.resize(at + b.outSize);

        if (!okOurs) {
            outcome.ok = false;
            outcome.error = ours.error();
            return outcome;
        }
        EXPECT_EQ(mine, theirs) << "block " << i;
        EXPECT_TRUE(std::equal(mine.begin(), mine.end(), wide.begin() + at)) << "block " << i;
        outcome.bytes.insert(outcome.bytes.end(), mine.begin(), mine.end());
    }
    return outcome;
}

// Compresses `data` the MSZIP way, 32 KB per block with the previous block as dictionary,
// under the given zlib level and strategy.
std::vector<Block> Compress(const std::vector<uint8_t>& data, int level, int strategy) {
    std::vector<Block> blocks;
    for (size_t pos = 0; pos < data.size(); pos += 32768) {
        const size_t n = std::min<size_t>(32768, data.size() - pos);
        z_stream z{};
        EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy), Z_OK);
        if (pos)
            deflateSetDictionary(&z, data.data() + pos - 32768, 32768);
        Block b{{'C', 'K'}, n};
        b.data.resize(2 + deflateBound(&z, static_cast<uLong>(n)));
        z.next_in = const_cast<Bytef*>(data.data() + pos);
        z.avail_in = static_cast<uInt>(n);
        z.next_out = b.data.data() + 2;
        z.avail_out = static_cast<uInt>(b.data.size() - 2);
        EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        b.data.resize(b.data.size() - z.avail_out);
        deflateEnd(&z);
        blocks.push_back(std::move(b));
    }
    return blocks;
}

uint32_t Next(uint32_t* seed) {
    *seed = *seed * 1664525 + 1013904223;
    return *seed >> 8;
}

// Inputs that drive the decoder through its paths: long and short matches, literal runs,
// overlapping copies of every short period, and skewed symbol counts that give 15-bit codes
// (second-level table entries).
std::vector<std::vector<uint8_t>> Corpus() {
    std::vector<std::vector<uint8_t>> inputs;
    uint32_t seed = 7;
    std::vector<uint8_t> text;
    const char* words[] = {"cabinet ",  "folder ", "data ", "block ",   "window ",
                           "frame\r\n", "setup ",  "file ", "\xe8\x10", "install "};
    while (text.size() < 100000)
        for (const char* c = words[Next(&seed) % 10]; *c; ++c)
            text.push_back(static_cast<uint8_t>(*c));
    inputs.push_back(text);

    std::vector<uint8_t> noise(70000);
    for (uint8_t& b : noise)
        b = static_cast<uint8_t>(Next(&seed));
    inputs.push_back(noise);

    std::vector<uint8_t> periods;
    for (int period = 1; period <= 9; ++period)
        for (int i = 0; i < 5000; ++i)
            periods.push_back(static_cast<uint8_t>('a' + (i % period) + period));
    inputs.push_back(periods);

    std::vector<uint8_t> skewed(90000);
    for (uint8_t& b : skewed) {
        const uint32_t r = Next(&seed) | 0x800000;
        b = static_cast<uint8_t>(__builtin_ctz(r) * 13);
    }
    inputs.push_back(skewed);
    return inputs;
}

// Every zlib strategy gives the decoder another mix of stored, fixed and dynamic blocks.
TEST(Inflate, DecodesWhatZlibWritesUnderEveryStrategy) {
    const struct {
        int level, strategy;
    } settings[] = {{0, Z_DEFAULT_STRATEGY},
                    {1, Z_DEFAULT_STRATEGY},
                    {9, Z_DEFAULT_STRATEGY},
                    {6, Z_HUFFMAN_ONLY},
                    {6, Z_RLE},
                    {6, Z_FIXED}};
    for (const std::vector<uint8_t>& input : Corpus())
        for (const auto& s : settings) {
            SCOPED_TRACE("level " + std::to_string(s.level) + " strategy " +
                         std::to_string(s.strategy) + " size " + std::to_string(input.size()));
            const Outcome out = DecodeBoth(Compress(input, s.level, s.strategy));
            ASSERT_TRUE(out.ok) << out.error;
            EXPECT_EQ(out.bytes, input);
        }
}

// Deflate bits, least significant first; Huffman codes go most significant bit first.
class BitSink {
  public:
    BitSink& Bits(uint32_t value, int n) {
        for (int i = 0; i < n; ++i)
            Bit((value >> i) & 1);
        return *this;
    }
    BitSink& Code(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i)
            Bit((code >> i) & 1);
        return *this;
    }
    BitSink& Header(bool last, int type) { return Bits(last, 1).Bits(type, 2); }
    // Symbols of the fixed code.
    BitSink& Fixed(int symbol) {
        if (symbol < 144)
            return Code(0x30 + symbol, 8);
        if (symbol < 256)
            return Code(0x190 + symbol - 144, 9);
        if (symbol < 280)
            return Code(symbol - 256, 7);
        return Code(0xC0 + symbol - 280, 8);
    }
    BitSink& FixedDist(int symbol) { return Code(symbol, 5); }
    BitSink& Byte(uint8_t b) {
        bytes_.push_back(b);
        return *this;
    }
    BitSink& Align() {
        used_ = 0;
        return *this;
    }
    Block ToBlock(size_t outSize) const {
        Block b{{'C', 'K'}, outSize};
        b.data.insert(b.data.end(), bytes_.begin(), bytes_.end());
        return b;
    }

  private:
    void Bit(uint32_t bit) {
        if (used_ == 0)
            bytes_.push_back(0);
        bytes_.back() |= static_cast<uint8_t>(bit << used_);
        used_ = (used_ + 1) & 7;
    }
    std::vector<uint8_t> bytes_;
    int used_ = 0;
};

// The order in which a dynamic header sends the code-length code's lengths.
const int kCodeLenOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Canonical codes for the given lengths, as deflate assigns them.
std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
    int counts[16] = {};
    for (int l : lengths)
        ++counts[l];
    counts[0] = 0;
    uint32_t next[16] = {};
    for (int len = 1, code = 0; len < 16; ++len) {
        code = (code + counts[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s])
            codes[s] = next[lengths[s]]++;
    return codes;
}

// A dynamic block header: the code-length code, then every literal/length and distance
// length sent as a plain code-length symbol. `extra` symbols (16, 17, 18 with their bits)
// may be spliced in before the lengths to test repeats.
struct Dynamic {
    std::vector<int> litLen;  // lengths of symbols 0..n-1 (n >= 257)
    std::vector<int> dist;    // lengths of distance symbols
    std::vector<int> codeLen = std::vector<int>(19, 0);
    int numLitLenOverride = -1;  // HLIT as sent, when a test lies about it
    int numDistOverride = -1;

    std::vector<uint32_t> Write(BitSink& sink, bool last = true) const {
        sink.Header(last, 2);
        sink.Bits(numLitLenOverride >= 0 ? numLitLenOverride : int(litLen.size()) - 257, 5);
        sink.Bits(numDistOverride >= 0 ? numDistOverride : int(dist.size()) - 1, 5);
        sink.Bits(15, 4);  // all 19 code-length lengths
        for (int symbol : kCodeLenOrder)
            sink.Bits(codeLen[symbol], 3);
        const std::vector<uint32_t> clCodes = CanonicalCodes(codeLen);
        for (int l : litLen)
            sink.Code(clCodes[l], codeLen[l]);
        for (int l : dist)
            sink.Code(clCodes[l], codeLen[l]);
        return clCodes;
    }
};

// The start of a dynamic header for 257 + 1 lengths whose code-length code has two one-bit
// codes: 0 (code 0) and the repeat symbol `repeat` (code 1).
BitSink RepeatCode(int repeat) {
    BitSink s;
    s.Header(true, 2).Bits(0, 5).Bits(0, 5).Bits(15, 4);
    for (int symbol : kCodeLenOrder)
        s.Bits(symbol == repeat || symbol == 0 ? 1 : 0, 3);
    return s;
}

// A small complete dynamic code: 'a' takes one bit, end of block and length 3 two each; one
// distance code of one bit (incomplete, which deflate allows for a lone code).
Dynamic SmallCode() {
    Dynamic d;
    d.litLen.assign(258, 0);
    d.litLen['a'] = 1;
    d.litLen[256] = 2;
    d.litLen[257] = 2;
    d.dist = {1};
    d.codeLen[0] = 1;
    d.codeLen[1] = 2;
    d.codeLen[2] = 2;
    return d;
}

TEST(Inflate, HandMadeBlocksDecodeAsZlibDoes) {
    {
        SCOPED_TRACE("fixed code: literals, a period-1 and a period-3 match, end of block");
        BitSink s;
        s.Header(true, 1).Fixed('x').Fixed('y').Fixed('z').Fixed(257).FixedDist(2);  // "xyz" +3
        s.Fixed('q').Fixed(265).Bits(1, 1).FixedDist(0).Fixed(256);  // q + 12 more q
        const Outcome out = DecodeBoth({s.ToBlock(19)});
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_EQ(std::string(out.bytes.begin(), out.bytes.end()), "xyzxyzqqqqqqqqqqqqq");
    }
    {
        SCOPED_TRACE("dynamic code with a lone one-bit distance code");
        BitSink s;
        const Dynamic d = SmallCode();
        d.Write(s);
        s.Code(0, 1).Code(3, 2).Code(0, 1).Code(2, 2);  // 'a', length 3, distance 1, end
        const Outcome out = DecodeBoth({s.ToBlock(4)});
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_EQ(std::string(out.bytes.begin(), out.bytes.end()), "aaaa");
    }
    {
        SCOPED_TRACE("a code of only end-of-block, one bit long, gives an empty block");
        Dynamic d;
        d.litLen.assign(257, 0);
        d.litLen[256] = 1;
        d.dist = {0};
        d.codeLen[0] = 1;
        d.codeLen[1] = 1;
        BitSink s;
        d.Write(s);
        s.Code(0, 1);
        EXPECT_TRUE(DecodeBoth({s.ToBlock(0)}).ok);
    }
    {
        SCOPED_TRACE("stored then fixed, the stored one not last; trailing bytes are ignored");
        BitSink s;
        s.Header(false, 0).Align().Byte(3).Byte(0).Byte(0xFC).Byte(0xFF);
        s.Byte('a').Byte('b').Byte('c');
        s.Header(true, 1).Fixed(258).FixedDist(2).Fixed(256).Align().Byte(0xAA).Byte(0x55);
        const Outcome out = DecodeBoth({s.ToBlock(7)});
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_EQ(std::string(out.bytes.begin(), out.bytes.end()), "abcabca");
    }
}

struct BadCase {
    const char* name;
    Block block;
    const char* error;
};

std::vector<BadCase> BadStreams() {
    std::vector<BadCase> cases;
    auto add = [&](const char* name, const BitSink& s, size_t outSize, const char* error) {
        cases.push_back({name, s.ToBlock(outSize), error});
    };
    {
        BitSink s;
        s.Header(true, 3).Bits(0, 13);
        add("block type 3", s, 1, "invalid block type");
    }
    {
        BitSink s;
        s.Header(true, 0).Align().Byte(1).Byte(0).Byte(0xFF).Byte(0xFF).Byte('a');
        add("stored lengths that do not complement", s, 1, "invalid stored block lengths");
    }
    {
        BitSink s;
        s.Header(true, 1).Fixed(286).Bits(0, 16);
        add("fixed length symbol 286", s, 3, "invalid literal/length code");
    }
    {
        BitSink s;
        s.Header(true, 1).Fixed('a').Fixed(257).FixedDist(30).Bits(0, 16);
        add("fixed distance symbol 30", s, 4, "invalid distance code");
    }
    {
        BitSink s;
        s.Header(true, 1).Fixed('a').Fixed(257).FixedDist(1).Fixed(256);
        add("a distance before the first byte", s, 4, "invalid distance too far back");
    }
    {
        Dynamic d = SmallCode();
        d.numLitLenOverride = 30;  // 287 symbols
        BitSink s;
        d.Write(s);
        add("287 literal/length symbols", s, 4, "too many length or distance symbols");
    }
    {
        Dynamic d = SmallCode();
        d.numDistOverride = 30;  // 31 distance codes
        BitSink s;
        d.Write(s);
        add("31 distance symbols", s, 4, "too many length or distance symbols");
    }
    {
        Dynamic d = SmallCode();
        d.codeLen[3] = 1;  // three one-bit codes
        BitSink s;
        d.Write(s);
        add("over-subscribed code-length code", s, 4, "invalid code lengths set");
    }
    {
        Dynamic d = SmallCode();
        d.codeLen[2] = 0;  // one 1-bit and one 2-bit code leave a quarter unused
        BitSink s;
        d.Write(s);
        add("incomplete code-length code", s, 4, "invalid code lengths set");
    }
    {
        // Found by the differential fuzzer: a lone one-bit code is fine for literals and
        // distances, but zlib refuses it for the code-length code.
        BitSink s;
        s.Header(true, 2).Bits(29, 5).Bits(9, 5).Bits(0, 4);
        s.Bits(0, 3).Bits(0, 3).Bits(1, 3).Bits(0, 3);  // only symbol 18, one bit long
        add("lone code-length code", s, 0, "invalid code lengths set");
    }
    {
        Dynamic d = SmallCode();
        d.litLen[257] = 0;  // 'a' 1 bit, end 2 bits: incomplete and longer than one bit
        BitSink s;
        d.Write(s);
        add("incomplete literal/length code", s, 4, "invalid literal/lengths set");
    }
    {
        Dynamic d = SmallCode();
        d.litLen[256] = 0;
        d.litLen['b'] = 2;
        BitSink s;
        d.Write(s);
        add("no end-of-block code", s, 4, "invalid code -- missing end-of-block");
    }
    {
        BitSink s = RepeatCode(16);
        s.Code(1, 1).Bits(0, 2);
        add("repeat with nothing to repeat", s, 4, "invalid bit length repeat");
    }
    {
        BitSink s = RepeatCode(18);  // 138 zeros twice overrun 257 + 1 lengths
        s.Code(1, 1).Bits(127, 7).Code(1, 1).Bits(127, 7);
        add("repeat past the last length", s, 4, "invalid bit length repeat");
    }
    return cases;
}

// Each malformed stream is refused by both decoders, ours with zlib's wording.
TEST(Inflate, RefusesMalformedStreamsWithTheirFault) {
    for (const BadCase& c : BadStreams()) {
        SCOPED_TRACE(c.name);
        const Outcome out = DecodeBoth({c.block});
        ASSERT_FALSE(out.ok);
        EXPECT_NE(out.error.find(c.error), std::string::npos) << out.error;
    }
}

// The declared block size decides: a stream that stops early is short, one that holds more
// overflows, and one whose input ends just as the output is full is accepted (as zlib does).
TEST(Inflate, DeclaredSizeIsHeldExactly) {
    BitSink notLast;  // a stored block of 5 bytes, not marked last, then nothing
    notLast.Header(false, 0).Align().Byte(5).Byte(0).Byte(0xFA).Byte(0xFF);
    for (char c : std::string("hello"))
        notLast.Byte(static_cast<uint8_t>(c));

    EXPECT_TRUE(DecodeBoth({notLast.ToBlock(5)}).ok);
    Outcome shortOut = DecodeBoth({notLast.ToBlock(6)});
    EXPECT_FALSE(shortOut.ok);
    EXPECT_NE(shortOut.error.find("produced 5 bytes, expected 6"), std::string::npos);
    Outcome overflow = DecodeBoth({notLast.ToBlock(4)});
    EXPECT_FALSE(overflow.ok);
    EXPECT_NE(overflow.error.find("expands beyond"), std::string::npos);

    // The same through the symbol decoder: a fixed block cut after its literals.
    BitSink cut;
    cut.Header(true, 1);
    for (int i = 0; i < 300; ++i)
        cut.Fixed('a' + i % 26);
    EXPECT_TRUE(DecodeBoth({cut.ToBlock(300)}).ok);
    EXPECT_FALSE(DecodeBoth({cut.ToBlock(299)}).ok);
    EXPECT_FALSE(DecodeBoth({cut.ToBlock(301)}).ok);

    // A match that runs past the declared end, in the fast path and near the end.
    BitSink longMatch;
    longMatch.Header(true, 1).Fixed('a').Fixed(285).FixedDist(0).Fixed(256);  // 1 + 258
    EXPECT_TRUE(DecodeBoth({longMatch.ToBlock(259)}).ok);
    EXPECT_FALSE(DecodeBoth({longMatch.ToBlock(258)}).ok);
}

// Sends a match of any length (3..258) and distance (1..32768) in the fixed code.
void FixedMatch(BitSink& sink, uint32_t length, uint32_t distance) {
    static const uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                             15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const uint16_t kDistBase[30] = {
        1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    int l = 28;
    while (kLengthBase[l] > length)
        --l;
    const int lengthExtra = l < 8 || l == 28 ? 0 : (l - 4) / 4;
    sink.Fixed(257 + l).Bits(length - kLengthBase[l], lengthExtra);
    int d = 29;
    while (kDistBase[d] > distance)
        --d;
    const int distExtra = d < 4 ? 0 : (d - 2) / 2;
    sink.FixedDist(d).Bits(distance - kDistBase[d], distExtra);
}

// Match lengths from 3 to 258 at every short distance and at word-sized ones, each followed by a
// literal, so copies of every period and length end where the next symbol must start; the
// bytes are checked against a plain byte-by-byte copy as well as against zlib.
TEST(Inflate, MatchCopiesOfEveryPeriodAndLength) {
    std::vector<uint32_t> lengths;  // all short ones, a spread of middle ones, all long ones
    for (uint32_t length = 3; length <= 258; length += length < 70 || length >= 250 ? 1 : 7)
        lengths.push_back(length);
    for (uint32_t distance : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 300u}) {
        SCOPED_TRACE("distance " + std::to_string(distance));
        BitSink sink;
        sink.Header(true, 1);
        std::vector<uint8_t> expected;
        for (uint32_t i = 0; i < distance; ++i) {
            const int literal = 'A' + static_cast<int>(i % 26);
            sink.Fixed(literal);
            expected.push_back(static_cast<uint8_t>(literal));
        }
        for (uint32_t length : lengths) {
            FixedMatch(sink, length, distance);
            for (uint32_t i = 0; i < length; ++i)
                expected.push_back(expected[expected.size() - distance]);
            const int literal = 'a' + static_cast<int>(length % 26);
            sink.Fixed(literal);
            expected.push_back(static_cast<uint8_t>(literal));
        }
        sink.Fixed(256);
        const Outcome out = DecodeBoth({sink.ToBlock(expected.size())});
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_EQ(out.bytes, expected);
    }
}

// A block decoded in place is where the decoder says, holds what DecodeBlock writes, and
// serves as the next block's history; a bad block yields no place and the error.
TEST(Inflate, BlocksDecodedInPlaceMatchCopiedOnes) {
    std::vector<uint8_t> data;
    const std::vector<uint8_t> text = Corpus()[0];
    for (int i = 0; i < 12; ++i)  // 1.2 MB: the history buffer wraps round several times
        data.insert(data.end(), text.begin(), text.end());
    const std::vector<Block> blocks = Compress(data, 6, Z_DEFAULT_STRATEGY);
    MszipDecoder copied, inPlace;
    std::vector<uint8_t> out(32768), scratch(32768);
    size_t pos = 0;
    for (const Block& b : blocks) {
        ASSERT_TRUE(copied.DecodeBlock(b.data.data(), b.data.size(), out.data(), b.outSize));
        const uint8_t* at =
            inPlace.DecodeBlockInPlace(b.data.data(), b.data.size(), scratch.data(), b.outSize);
        ASSERT_NE(at, nullptr) << inPlace.error();
        ASSERT_TRUE(std::equal(at, at + b.outSize, out.begin()));
        ASSERT_TRUE(std::equal(at, at + b.outSize, data.begin() + pos));
        pos += b.outSize;
    }
    EXPECT_EQ(pos, data.size());

    const uint8_t bad[] = {'C', 'K', 0x07};  // block type 3
    EXPECT_EQ(inPlace.DecodeBlockInPlace(bad, sizeof bad, scratch.data(), 10), nullptr);
    EXPECT_NE(inPlace.error().find("invalid block type"), std::string::npos);

    // Decoders that keep no buffer of their own decode into the scratch space.
    StoredDecoder stored;
    const uint8_t plain[] = {'x', 'y', 'z'};
    EXPECT_EQ(stored.DecodeBlockInPlace(plain, 3, scratch.data(), 3), scratch.data());
    EXPECT_EQ(std::string(scratch.begin(), scratch.begin() + 3), "xyz");
}

// History carries from block to block, stops at 32 KB, and is forgotten on Reset.
TEST(Inflate, BackReferencesReachOnlyIntoKeptHistory) {
    std::vector<uint8_t> first(32768);
    for (size_t i = 0; i < first.size(); ++i)
        first[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
    BitSink full;  // copies the whole previous block: distance 32768, 127 times 258 bytes
    full.Header(true, 1);
    for (int i = 0; i < 127; ++i)
        full.Fixed(285).FixedDist(29).Bits(8191, 13);
    full.Fixed(256);
    std::vector<Block> blocks = Compress(first, 6, Z_DEFAULT_STRATEGY);
    blocks.push_back(full.ToBlock(127 * 258));
    const Outcome out = DecodeBoth(blocks);
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_TRUE(std::equal(out.bytes.begin() + 32768, out.bytes.end(), first.begin()));

    MszipDecoder decoder;
    std::vector<uint8_t> scratch(32768);
    ASSERT_TRUE(
        decoder.DecodeBlock(blocks[0].data.data(), blocks[0].data.size(), scratch.data(), 32768));
    decoder.Reset();
    EXPECT_FALSE(decoder.DecodeBlock(blocks[1].data.data(), blocks[1].data.size(), scratch.data(),
                                     blocks[1].outSize));
    EXPECT_NE(decoder.error().find("too far back"), std::string::npos);
}

}  // namespace
}  // namespace cab::codec

namespace cab::codec {
namespace {

// Over a history of markers (values above 255), the 16-bit form says where each output element
// came from: matches reaching exactly 32 KB back with the shortest and the longest lengths take
// the oldest markers, copies of copies carry them on, literals stay bytes, and one element
// further back is refused.
TEST(Inflate, WideElementsTraceTheHistoryPositionsCopied) {
    std::vector<uint16_t> buffer(32768 + 400 + Inflater::kOutputSlack);
    for (size_t i = 0; i < 32768; ++i)
        buffer[i] = static_cast<uint16_t>(256 + i);
    uint16_t* const history = buffer.data();
    uint16_t* const out = buffer.data() + 32768;

    BitSink sink;
    sink.Header(true, 1);
    FixedMatch(sink, 3, 32768);    // history 0..2
    sink.Fixed('x');               // a byte
    FixedMatch(sink, 258, 32768);  // history 4..261: the literal's position lies among them
    FixedMatch(sink, 5, 262);      // a copy of the first copies and the literal
    sink.Fixed(256);
    const Block b = sink.ToBlock(3 + 1 + 258 + 5);
    std::vector<uint16_t> expected = {256, 257, 258, 'x'};
    for (uint16_t i = 4; i < 262; ++i)
        expected.push_back(256 + i);
    expected.insert(expected.end(), {256, 257, 258, 'x', 256 + 4});

    Inflater inflater;
    size_t produced = 0;
    ASSERT_EQ(
        inflater.Inflate(b.data.data() + 2, b.data.size() - 2, history, out, b.outSize, &produced),
        Inflater::Result::Ok)
        << inflater.message();
    ASSERT_EQ(produced, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out));

    // The same block one element short of its history reaches too far.
    EXPECT_EQ(inflater.Inflate(b.data.data() + 2, b.data.size() - 2, history + 1, out, b.outSize,
                               &produced),
              Inflater::Result::BadData);
    EXPECT_NE(std::string(inflater.message()).find("too far back"), std::string::npos);
}

}  // namespace
}  // namespace cab::codec
