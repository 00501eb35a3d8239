#include "codec/lzx_decoder.h"

#include <gtest/gtest.h>
#include <algorithm>

#include "cab/cab_testing.h"
#include "codec/lzx_encoder.h"

namespace cab::codec {
namespace {

std::vector<uint8_t> DecodeBlocks(int windowBits,
                                  const std::vector<EncodedBlock>& blocks,
                                  std::string* error = nullptr) {
    LzxDecoder decoder(windowBits);
    std::vector<uint8_t> out;
    for (const EncodedBlock& b : blocks) {
        std::vector<uint8_t> frame(b.uncompressedSize);
        if (!decoder.DecodeBlock(b.data.data(), b.data.size(), frame.data(), frame.size())) {
            if (error)
                *error = decoder.error();
            return {};
        }
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

std::vector<EncodedBlock> Encode(const std::vector<uint8_t>& data, LzxEncoderOptions options) {
    LzxEncoder encoder(options);
    encoder.Write(data.data(), data.size());
    encoder.Finish();
    return encoder.TakeBlocks();
}

TEST(LzxDecoder, RoundTripsTheEncoderForEveryWindow) {
    std::vector<uint8_t> data = testing::Sample(300000, 21);
    // Some incompressible stretches make the encoder pick uncompressed blocks.
    uint32_t x = 7;
    for (size_t i = 100000; i < 140000; ++i) {
        x = x * 1103515245 + 12345;
        data[i] = static_cast<uint8_t>(x >> 16);
    }
    for (int bits = kLzxMinWindowBits; bits <= kLzxMaxWindowBits; ++bits) {
        for (bool e8 : {false, true}) {
            LzxEncoderOptions options;
            options.windowBits = bits;
            options.translateCalls = e8;
            std::string error;
            EXPECT_EQ(DecodeBlocks(bits, Encode(data, options), &error), data)
                << "window " << bits << " e8 " << e8 << ": " << error;
        }
    }
}

}  // namespace
}  // namespace cab::codec

namespace cab::codec {
namespace {

// Writes an LZX bit stream by hand: 16-bit little-endian words, most significant bit first.
class StreamWriter {
  public:
    void Bits(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            word_ = static_cast<uint16_t>((word_ << 1) | ((value >> i) & 1));
            if (++used_ == 16)
                FlushWord();
        }
    }
    // Pads 1..16 bits to the next word, as before an uncompressed block's bytes.
    void AlignForRaw() { Bits(0, used_ ? 16 - used_ : 16); }
    void Bytes(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    // Pads the last word of a frame.
    std::vector<uint8_t> Take() {
        if (used_)
            Bits(0, 16 - used_);
        std::vector<uint8_t> out;
        out.swap(out_);
        return out;
    }

    // Tree lengths through a pretree whose 20 codes are all 5 bits long (code = symbol).
    void Tree(const std::vector<uint8_t>& lengths, const std::vector<uint8_t>& previous) {
        for (int i = 0; i < 20; ++i)
            Bits(5, 4);
        for (size_t i = 0; i < lengths.size(); ++i)
            Bits((previous[i] + 17 - lengths[i]) % 17, 5);
    }
    void BlockHeader(int type, uint32_t size) {
        Bits(type, 3);
        Bits(size >> 16, 8);
        Bits((size >> 8) & 0xFF, 8);
        Bits(size & 0xFF, 8);
    }

  private:
    void FlushWord() {
        out_.push_back(static_cast<uint8_t>(word_));
        out_.push_back(static_cast<uint8_t>(word_ >> 8));
        word_ = 0;
        used_ = 0;
    }
    std::vector<uint8_t> out_;
    uint16_t word_ = 0;
    int used_ = 0;
};

// Window 2^16: 512 main symbols, all 9 bits long, so a main code is its symbol; length
// codes are all 8 bits long (code = footer); aligned codes all 3 bits (code = value).
constexpr int kMain = 512;
void Main(StreamWriter& w, int symbol) {
    w.Bits(symbol, 9);
}
void Match(StreamWriter& w, int slot, int length) {
    const int code = std::min(length - 2, 7);
    Main(w, 256 + slot * 8 + code);
    if (code == 7)
        w.Bits(length - 9, 8);
}
void Literals(StreamWriter& w, const std::string& s) {
    for (char c : s)
        Main(w, static_cast<uint8_t>(c));
}

void TreesForBlock(StreamWriter& w, bool first) {
    const std::vector<uint8_t> zeroMain(kMain, 0), main(kMain, 9);
    const std::vector<uint8_t> zeroLen(249, 0), len(249, 8);
    const auto& prevMain = first ? zeroMain : main;
    w.Tree({main.begin(), main.begin() + 256}, {prevMain.begin(), prevMain.begin() + 256});
    w.Tree({main.begin() + 256, main.end()}, {prevMain.begin() + 256, prevMain.end()});
    w.Tree(len, first ? zeroLen : len);
}

// In a window's second lap, short-offset copies alternate with copies from nearly a whole
// window back, whose source starts just past the end of the copy before: a copy that wrote
// past its end (as whole-word copies do) must leave that history as it was.
TEST(LzxDecoder, MatchCopiesLeaveTheHistoryAfterThemIntact) {
    constexpr size_t kWindow = size_t{1} << 15;
    std::vector<uint8_t> data(kWindow);
    uint32_t x = 5;
    for (uint8_t& b : data) {
        x = x * 1103515245 + 12345;
        b = static_cast<uint8_t>(x >> 16);
    }
    while (data.size() < 3 * kWindow) {
        for (int i = 0; i < 20; ++i)
            data.push_back(data[data.size() - 100]);
        for (int i = 0; i < 20; ++i)
            data.push_back(data[data.size() - (kWindow - 3)]);  // the farthest offset there is
    }
    LzxEncoderOptions options;
    options.windowBits = 15;
    options.translateCalls = false;
    std::string error;
    EXPECT_EQ(DecodeBlocks(15, Encode(data, options), &error), data) << error;
}

// The same with copies of every short length (a copy of n bytes writes whole 16-byte words,
// up to 31 bytes past its end) from distances of 16 to 40 bytes, each followed by one from
// the farthest offset, which starts reading 3 bytes after the copy's end.
TEST(LzxDecoder, ShortCopiesLeaveTheHistoryAfterThemIntact) {
    constexpr size_t kWindow = size_t{1} << 15;
    std::vector<uint8_t> data(kWindow);
    uint32_t x = 11;
    auto next = [&x] {
        x = x * 1103515245 + 12345;
        return x >> 16;
    };
    for (uint8_t& b : data)
        b = static_cast<uint8_t>(next());
    for (size_t n = 0; data.size() < 3 * kWindow; ++n) {
        const size_t length = 3 + n % 30;
        const size_t distance = 16 + next() % 25;
        for (size_t i = 0; i < length; ++i)
            data.push_back(data[data.size() - distance]);
        for (int i = 0; i < 40; ++i)
            data.push_back(data[data.size() - (kWindow - 3)]);
        data.push_back(static_cast<uint8_t>(next()));  // a literal between the pairs
    }
    LzxEncoderOptions options;
    options.windowBits = 15;
    options.translateCalls = false;
    std::string error;
    EXPECT_EQ(DecodeBlocks(15, Encode(data, options), &error), data) << error;
}

TEST(LzxDecoder, DecodesHandMadeStreamsOfEveryBlockKind) {
    StreamWriter w;
    std::string expected;
    w.Bits(0, 1);  // no E8 translation

    // Verbatim block: literals, an explicit offset, R0, a long match, R1.
    w.BlockHeader(1, 39);
    TreesForBlock(w, true);
    Literals(w, "ABCD");
    Match(w, 5, 4);  // slot 5: base 6, one extra bit 0 -> offset 4
    w.Bits(0, 1);
    Literals(w, "E");
    Match(w, 0, 3);   // R0 = 4
    Match(w, 3, 25);  // slot 3: offset 1; R0=1 R1=4 R2=4
    Match(w, 1, 2);   // R1 = 4, swapped with R0
    expected = "ABCDABCDEBCD" + std::string(25, 'D') + "DD";
    ASSERT_EQ(expected.size(), 39u);

    // Aligned-offset block with the same trees (every length delta is 0).
    w.BlockHeader(2, 5);
    for (int i = 0; i < 8; ++i)
        w.Bits(3, 3);
    TreesForBlock(w, false);
    Match(w, 10, 3);  // base 32, 4 extra bits: 1 verbatim (0) << 3 + aligned 5 -> offset 35
    w.Bits(0, 1);
    w.Bits(5, 3);
    Match(w, 6, 2);  // base 8, 2 extra bits (verbatim, below 3) = 3 -> offset 9
    w.Bits(3, 2);
    expected += expected.substr(expected.size() - 35, 3);
    expected += expected.substr(expected.size() - 9, 2);

    // Uncompressed block of odd size: its R0 is used by the next block; a pad byte follows.
    w.BlockHeader(3, 5);
    w.AlignForRaw();
    w.U32(3);
    w.U32(1);
    w.U32(1);
    w.Bytes("hello");
    w.Bytes("\x7F");  // pad
    expected += "hello";

    w.BlockHeader(1, 4);
    TreesForBlock(w, false);
    Literals(w, "Z");
    Match(w, 0, 3);  // R0 = 3 from the uncompressed block's header
    expected += "Z";
    expected += expected.substr(expected.size() - 3, 3);

    const std::vector<uint8_t> stream = w.Take();
    LzxDecoder decoder(16);
    std::vector<uint8_t> out(expected.size());
    ASSERT_TRUE(decoder.DecodeBlock(stream.data(), stream.size(), out.data(), out.size()))
        << decoder.error();
    EXPECT_EQ(std::string(out.begin(), out.end()), expected);
}

// Little-endian 32-bit value inside a byte string.
void PutCall(std::string& data, size_t at, int32_t value) {
    data[at] = '\xE8';
    for (int i = 0; i < 4; ++i)
        data[at + 1 + i] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * i));
}

TEST(LzxDecoder, TranslatesCallsAcrossFramesOfAnUncompressedBlock) {
    constexpr int32_t kTranslation = 100000;
    // Stored: absolute targets. Expected after decoding: targets relative to each call.
    std::string stored(40000, 'x'), expected;
    PutCall(stored, 100, 5000);          // in range: 5000 - 100
    PutCall(stored, 200, -150);          // negative and >= -position: -150 + 100000
    PutCall(stored, 300, kTranslation);  // out of range: unchanged
    PutCall(stored, 32768 + 50, 40000);  // second frame: position counts from the stream
    PutCall(stored, 32768 - 8, 1234);    // in a frame's last 10 bytes: unchanged
    expected = stored;
    PutCall(expected, 100, 5000 - 100);
    PutCall(expected, 200, -150 + kTranslation);
    PutCall(expected, 32768 + 50, 40000 - (32768 + 50));

    StreamWriter w;
    w.Bits(1, 1);
    w.Bits(kTranslation >> 16, 16);
    w.Bits(kTranslation & 0xFFFF, 16);
    w.BlockHeader(3, 40000);
    w.AlignForRaw();
    w.U32(1);
    w.U32(1);
    w.U32(1);
    w.Bytes(stored.substr(0, 32768));
    const std::vector<uint8_t> first = w.Take();
    w.Bytes(stored.substr(32768));
    const std::vector<uint8_t> second = w.Take();

    LzxDecoder decoder(15);
    std::vector<uint8_t> out(40000);
    ASSERT_TRUE(decoder.DecodeBlock(first.data(), first.size(), out.data(), 32768))
        << decoder.error();
    ASSERT_TRUE(
        decoder.DecodeBlock(second.data(), second.size(), out.data() + 32768, 40000 - 32768))
        << decoder.error();
    EXPECT_EQ(std::string(out.begin(), out.end()), expected);
}

// Code-like bytes full of calls, whose later parts repeat earlier ones: matches then reach
// back into frames whose calls were translated where they lay.
std::vector<uint8_t> CallHeavy(size_t size) {
    std::vector<uint8_t> data;
    uint32_t x = 99;
    auto next = [&x] { return (x = x * 1664525 + 1013904223) >> 9; };
    while (data.size() < size) {
        if (data.size() > 5000 && next() % 3 == 0) {
            const size_t from = next() % (data.size() - 4000);
            const size_t n = 200 + next() % 3000;
            for (size_t i = 0; i < n; ++i)
                data.push_back(data[from + i]);
            continue;
        }
        for (int i = 0; i < 40; ++i) {
            const uint32_t r = next();
            data.push_back(r % 7 == 0 ? 0xE8 : static_cast<uint8_t>(r % 23));
        }
    }
    data.resize(size);
    return data;
}

TEST(LzxDecoder, FramesHandedOutInPlaceEqualCopiedOnesAcrossWindowLaps) {
    const std::vector<uint8_t> data = CallHeavy(400000);
    for (int bits : {15, 16, 21}) {
        for (bool e8 : {false, true}) {
            LzxEncoderOptions options;
            options.windowBits = bits;
            options.translateCalls = e8;
            const std::vector<EncodedBlock> blocks = Encode(data, options);
            LzxDecoder copied(bits), inPlace(bits);
            std::vector<uint8_t> frame(kMaxBlockOutput), scratch(kMaxBlockOutput);
            size_t at = 0;
            for (const EncodedBlock& b : blocks) {
                const size_t n = b.uncompressedSize;
                ASSERT_TRUE(copied.DecodeBlock(b.data.data(), b.data.size(), frame.data(), n));
                const uint8_t* got =
                    inPlace.DecodeBlockInPlace(b.data.data(), b.data.size(), scratch.data(), n);
                ASSERT_NE(got, nullptr) << inPlace.error();
                ASSERT_TRUE(std::equal(frame.begin(), frame.begin() + n, got))
                    << "window " << bits << " e8 " << e8 << " frame at " << at;
                ASSERT_TRUE(std::equal(got, got + n, data.begin() + static_cast<ptrdiff_t>(at)));
                at += n;
            }
            EXPECT_EQ(at, data.size());
        }
    }
}

TEST(LzxDecoder, RejectsBadStreamsWithStickyErrors) {
    auto decode = [](const std::vector<uint8_t>& stream, size_t outSize, int window = 16) {
        LzxDecoder decoder(window);
        std::vector<uint8_t> out(outSize);
        const bool ok = decoder.DecodeBlock(stream.data(), stream.size(), out.data(), out.size());
        // Once failed, a decoder keeps failing until it is reset.
        if (!ok && decoder.DecodeBlock(stream.data(), stream.size(), out.data(), out.size()))
            return std::string("error not sticky");
        return ok ? std::string() : decoder.error();
    };
    StreamWriter w;
    w.Bits(0, 1);
    w.BlockHeader(0, 10);  // block type 0 does not exist
    EXPECT_NE(decode(w.Take(), 10).find("block type"), std::string::npos);

    w.Bits(0, 1);
    w.BlockHeader(1, 10);
    TreesForBlock(w, true);
    Match(w, 4, 3);  // an offset before the first byte
    w.Bits(0, 1);
    EXPECT_NE(decode(w.Take(), 10).find("offset"), std::string::npos);

    w.Bits(0, 1);
    w.BlockHeader(1, 2);
    TreesForBlock(w, true);
    Literals(w, "a");
    Match(w, 3, 5);  // runs 4 bytes past its 2-byte block
    EXPECT_NE(decode(w.Take(), 6).find("block"), std::string::npos);

    w.Bits(0, 1);
    w.BlockHeader(1, 100);
    TreesForBlock(w, true);
    Literals(w, "abc");  // the data stops long before 100 bytes
    EXPECT_NE(decode(w.Take(), 100).find("ends early"), std::string::npos);

    // Main tree lengths that over-subscribe the code space.
    w.Bits(0, 1);
    w.BlockHeader(1, 1);
    for (int i = 0; i < 20; ++i)
        w.Bits(5, 4);
    for (int i = 0; i < 256; ++i)
        w.Bits(17 - 1, 5);  // every literal 1 bit long
    EXPECT_FALSE(decode(w.Take(), 1).empty());

    EXPECT_FALSE(decode({}, 0, 22).empty());  // no such window
}

// Decoders one after another pass their windows on; nothing an earlier one left there shows
// through: each decodes its own data exactly, and a match reaching before the first byte is
// still refused after the window was full of another folder's bytes.
TEST(LzxDecoder, AWindowPassedOnKeepsNothingOfTheLastFolder) {
    LzxEncoderOptions options;
    options.windowBits = 16;
    const std::vector<uint8_t> first = testing::Sample(200000, 5);
    const std::vector<uint8_t> second = testing::Sample(90000, 9);
    EXPECT_EQ(DecodeBlocks(16, Encode(first, options)), first);
    EXPECT_EQ(DecodeBlocks(16, Encode(second, options)), second);
    EXPECT_EQ(DecodeBlocks(16, Encode(first, options)), first);

    StreamWriter w;
    w.Bits(0, 1);
    w.BlockHeader(1, 10);
    TreesForBlock(w, true);
    Literals(w, "ab");
    Match(w, 4, 3);
    w.Bits(1, 1);  // the slot's extra bit: an offset of 3, one byte before the first
    const std::vector<uint8_t> stream = w.Take();
    LzxDecoder decoder(16);
    std::vector<uint8_t> out(10);
    EXPECT_FALSE(decoder.DecodeBlock(stream.data(), stream.size(), out.data(), out.size()));
    EXPECT_NE(decoder.error().find("offset"), std::string::npos) << decoder.error();
}

}  // namespace
}  // namespace cab::codec
