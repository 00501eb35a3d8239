#include "codec/quantum_decoder.h"

#include <gtest/gtest.h>

#include "cab/cab_reader.h"
#include "cab/cab_testing.h"

namespace cab::codec {
namespace {

// A small Quantum encoder for tests: the models mirror the decoder's, the arithmetic coder
// is the classic 16-bit low/high coder with underflow bits, and extra bits go into the
// stream where the decoder's 16-bit register will have reached when it reads them.
class TestEncoder {
  public:
    explicit TestEncoder(int windowBits) : windowBits_(windowBits) {
        const int slots = windowBits * 2;
        selector_.Init(0, 7);
        for (int i = 0; i < 4; ++i)
            literal_[i].Init(i * 64, 64);
        match3_.Init(0, std::min(slots, 24));
        match4_.Init(0, std::min(slots, 36));
        matchLong_.Init(0, slots);
        matchLength_.Init(0, kQuantumLengthSlots);
    }

    void Literal(uint8_t byte) {
        Code(selector_, byte >> 6);
        Code(literal_[byte >> 6], byte);
    }

    // Returns false when the match cannot be expressed (the caller then sends literals).
    bool Match(uint32_t offset, uint32_t length) {
        const int slot = PositionSlot(offset - 1);
        const uint32_t extra = offset - 1 - QuantumPositionBase(slot);
        if (length == 3 && slot < match3_.entries) {
            Code(selector_, 4);
            Code(match3_, slot);
        } else if (length == 4 && slot < match4_.entries) {
            Code(selector_, 5);
            Code(match4_, slot);
        } else if (length >= 5 && length <= 259 && slot < matchLong_.entries) {
            Code(selector_, 6);
            int ls = 0;
            while (ls + 1 < kQuantumLengthSlots && QuantumLengthBase(ls + 1) <= length - 5)
                ++ls;
            Code(matchLength_, ls);
            Raw(length - 5 - QuantumLengthBase(ls), QuantumLengthExtra(ls));
            Code(matchLong_, slot);
        } else {
            return false;
        }
        Raw(extra, QuantumPositionExtra(slot));
        return true;
    }

    // Ends the frame: flushes the coder and returns the frame's bytes.
    std::vector<uint8_t> EndFrame() {
        ++pending_;
        Emit((low_ & 0x4000) ? 1 : 0);
        arith_.resize(std::max(arith_.size(), shifts_ + 16 + 32), 0);
        std::vector<uint8_t> bits;
        size_t a = 0;
        for (const RawBits& r : raws_) {
            while (a < r.at)
                bits.push_back(arith_[a++]);
            for (int i = r.count - 1; i >= 0; --i)
                bits.push_back((r.value >> i) & 1);
        }
        while (a < arith_.size())
            bits.push_back(arith_[a++]);
        std::vector<uint8_t> out((bits.size() + 7) / 8);
        for (size_t i = 0; i < bits.size(); ++i)
            out[i / 8] |= static_cast<uint8_t>(bits[i] << (7 - i % 8));
        arith_.clear();
        raws_.clear();
        low_ = 0;
        high_ = 0xFFFF;
        pending_ = 0;
        shifts_ = 0;
        return out;
    }

  private:
    struct RawBits {
        size_t at;
        uint32_t value;
        int count;
    };

    int PositionSlot(uint32_t v) const {
        int s = 0;
        while (s + 1 < kQuantumPositionSlots && QuantumPositionBase(s + 1) <= v)
            ++s;
        return s;
    }

    void Emit(int bit) {
        arith_.push_back(static_cast<uint8_t>(bit));
        for (; pending_ > 0; --pending_)
            arith_.push_back(static_cast<uint8_t>(!bit));
    }

    void Raw(uint32_t value, int count) {
        if (count)
            raws_.push_back({16 + shifts_, value, count});
    }

    void Code(QuantumModel& m, int symbol) {
        int i = 0;
        while (m.symbol[i] != symbol)
            ++i;
        const uint32_t total = m.cumFreq[0];
        const uint32_t width = uint32_t{high_} - low_ + 1;
        high_ = static_cast<uint16_t>(low_ + (m.cumFreq[i] * width) / total - 1);
        low_ = static_cast<uint16_t>(low_ + (m.cumFreq[i + 1] * width) / total);
        m.Update(i);
        for (;;) {
            if (((low_ ^ high_) & 0x8000) == 0) {
                Emit(high_ >> 15);
            } else if ((low_ & 0x4000) && !(high_ & 0x4000)) {
                ++pending_;
                low_ &= 0x3FFF;
                high_ |= 0x4000;
            } else {
                break;
            }
            low_ = static_cast<uint16_t>(low_ << 1);
            high_ = static_cast<uint16_t>((high_ << 1) | 1);
            ++shifts_;
        }
    }

    int windowBits_;
    QuantumModel selector_, literal_[4], match3_, match4_, matchLong_, matchLength_;
    std::vector<uint8_t> arith_;
    std::vector<RawBits> raws_;
    uint16_t low_ = 0, high_ = 0xFFFF;
    int pending_ = 0;
    size_t shifts_ = 0;
};

struct Frame {
    std::vector<uint8_t> bytes;
    size_t size;
};

// Greedy LZ77 over 32 KB frames with a 3-byte hash; matches stay inside their frame.
std::vector<Frame> Compress(const std::vector<uint8_t>& data, int windowBits) {
    TestEncoder enc(windowBits);
    std::vector<Frame> frames;
    std::vector<int64_t> last(1 << 16, -1);
    const int64_t window = int64_t{1} << windowBits;
    for (size_t start = 0; start < data.size(); start += 32768) {
        const size_t end = std::min(data.size(), start + 32768);
        for (size_t pos = start; pos < end;) {
            uint32_t length = 0, offset = 0;
            if (pos + 3 <= end) {
                const uint32_t h = (data[pos] << 8 ^ data[pos + 1] << 4 ^ data[pos + 2]) & 0xFFFF;
                const int64_t cand = last[h];
                last[h] = static_cast<int64_t>(pos);
                if (cand >= 0 && static_cast<int64_t>(pos) - cand <= window - 1) {
                    while (pos + length < end && length < 259 &&
                           data[cand + length] == data[pos + length])
                        ++length;
                    offset = static_cast<uint32_t>(pos - cand);
                }
            }
            if (length >= 3 && enc.Match(offset, length)) {
                pos += length;
                continue;
            }
            enc.Literal(data[pos++]);
        }
        frames.push_back({enc.EndFrame(), end - start});
    }
    return frames;
}

TEST(QuantumDecoder, RoundTripsSmallAndLargeWindows) {
    const std::vector<uint8_t> data = testing::Sample(120000, 31);
    for (int bits : {10, 12, 15, 21}) {
        const std::vector<Frame> frames = Compress(data, bits);
        QuantumDecoder decoder(bits);
        std::vector<uint8_t> out;
        for (const Frame& f : frames) {
            std::vector<uint8_t> block(f.size);
            ASSERT_TRUE(
                decoder.DecodeBlock(f.bytes.data(), f.bytes.size(), block.data(), block.size()))
                << "window " << bits << ": " << decoder.error();
            out.insert(out.end(), block.begin(), block.end());
        }
        EXPECT_EQ(out, data) << "window " << bits;
        // The compressed form is really compressed: matches were used.
        size_t packed = 0;
        for (const Frame& f : frames)
            packed += f.bytes.size();
        EXPECT_LT(packed, data.size() / 2) << bits;
    }
}

TEST(QuantumDecoder, RejectsMatchesOutsideTheDataAndTheFrame) {
    TestEncoder enc(15);
    enc.Literal('a');
    enc.Match(5, 3);  // reaches 4 bytes before the first one
    std::vector<uint8_t> bytes = enc.EndFrame();
    QuantumDecoder decoder(15);
    std::vector<uint8_t> out(4);
    EXPECT_FALSE(decoder.DecodeBlock(bytes.data(), bytes.size(), out.data(), out.size()));
    EXPECT_NE(decoder.error().find("offset"), std::string::npos) << decoder.error();
    EXPECT_FALSE(decoder.DecodeBlock(bytes.data(), bytes.size(), out.data(), out.size()));

    TestEncoder over(15);
    over.Literal('a');
    over.Match(1, 10);  // 11 bytes into a 6-byte frame
    bytes = over.EndFrame();
    QuantumDecoder second(15);
    out.resize(6);
    EXPECT_FALSE(second.DecodeBlock(bytes.data(), bytes.size(), out.data(), out.size()));
    EXPECT_NE(second.error().find("frame"), std::string::npos) << second.error();

    // Data cut short ends in an error, not in invented output past the overrun allowance.
    const std::vector<uint8_t> data = testing::Sample(32768, 3);
    std::vector<Frame> frames = Compress(data, 16);
    QuantumDecoder third(16);
    out.resize(32768);
    EXPECT_FALSE(third.DecodeBlock(frames[0].bytes.data(), frames[0].bytes.size() / 3, out.data(),
                                   out.size()));
}

TEST(QuantumDecoder, ExtractsAQuantumFolderThroughTheCabinetReader) {
    const std::vector<uint8_t> data = testing::Sample(70000, 5);
    testing::Cab cab;
    cab.folders.push_back({0x1042 /* Quantum, level 4, window 2^16 */, {}});
    for (const Frame& f : Compress(data, 16))
        cab.folders[0].blocks.push_back({f.bytes, static_cast<uint16_t>(f.size)});
    cab.files.push_back({"q.bin", 70000, 0, 0});
    CabinetReader reader;
    ASSERT_FALSE(reader.Open(std::make_unique<MemorySource>(testing::Serialize(cab))));
    EXPECT_EQ(reader.Folders()[0].MethodName(), "Quantum:4:16");
    VectorSink sink;
    const CabError e = reader.Extract(0, sink);
    EXPECT_FALSE(e) << e.message;
    EXPECT_EQ(sink.bytes, data);
}

}  // namespace
}  // namespace cab::codec
