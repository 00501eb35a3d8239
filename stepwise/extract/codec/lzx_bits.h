// Bit-level pieces of the LZX encoder: the 16-bit-word bit writer, position slots, and the
// pretree coding of Huffman code lengths. LZX packs bits MSB-first into 16-bit little-endian
// words, and codes each tree's lengths as differences (mod 17) from the previous block's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cab::codec::lzx {

constexpr int kMinWindowBits = 15;
constexpr int kMaxWindowBits = 21;
constexpr int kNumChars = 256;
constexpr int kPrimaryLengths = 7;      // length header values in a main symbol
constexpr int kSecondaryLengths = 249;  // length tree symbols
constexpr int kMinMatch = 2;
constexpr int kMaxMatch = 257;
constexpr int kPretreeSymbols = 20;
constexpr int kAlignedSymbols = 8;
constexpr int kMaxCodeLength = 16;     // main and length trees
constexpr int kMaxPretreeLength = 15;  // a pretree length is a 4-bit field
constexpr int kMaxAlignedLength = 7;   // an aligned length is a 3-bit field
constexpr int kMaxPositionSlots = 50;
constexpr int kMaxMainSymbols = kNumChars + kMaxPositionSlots * 8;

constexpr int kBlockVerbatim = 1;
constexpr int kBlockAligned = 2;
constexpr int kBlockUncompressed = 3;

// Position slots a window of 2^bits offers (30 for 2^15 up to 50 for 2^21).
int PositionSlots(int windowBits);

// The slot of a formatted offset (match offset + 2; 0..2 name the repeated offsets).
int SlotOf(uint32_t formattedOffset);
uint32_t SlotBase(int slot);
int SlotExtraBits(int slot);

// Writes bits MSB-first into 16-bit little-endian words appended to `out`.
class BitWriter {
  public:
    explicit BitWriter(std::vector<uint8_t>* out) : out_(out) {}

    void Put(uint32_t value, int bits) {
        acc_ = (acc_ << bits) | (value & ((1ull << bits) - 1));
        count_ += bits;
        while (count_ >= 16) {
            count_ -= 16;
            uint16_t word = static_cast<uint16_t>(acc_ >> count_);
            out_->push_back(static_cast<uint8_t>(word));
            out_->push_back(static_cast<uint8_t>(word >> 8));
        }
        acc_ &= (1ull << count_) - 1;
    }
    // Pads with zero bits to the next word boundary (nothing when already there).
    void AlignToWord() {
        if (count_ != 0)
            Put(0, 16 - count_);
    }
    // An uncompressed block's header is followed by 1 to 16 padding bits: a whole zero
    // word when the stream is already word-aligned.
    void PadForUncompressed() { Put(0, 16 - count_); }
    bool aligned() const { return count_ == 0; }
    // Raw bytes; only valid on a word boundary.
    void PutByte(uint8_t b) { out_->push_back(b); }

  private:
    std::vector<uint8_t>* out_;
    uint64_t acc_ = 0;
    int count_ = 0;
};

// Counts the bits a write would take, for choosing between block kinds.
class BitCounter {
  public:
    void Put(uint32_t, int bits) { bits_ += static_cast<uint64_t>(bits); }
    uint64_t bits() const { return bits_; }

  private:
    uint64_t bits_ = 0;
};

// Writes `count` code lengths as a pretree and pretree symbols, relative to `previous`.
void WriteLengths(BitWriter& out, const uint8_t* lengths, const uint8_t* previous, size_t count);
// The bits WriteLengths would take.
uint64_t LengthsCost(const uint8_t* lengths, const uint8_t* previous, size_t count);

}  // namespace cab::codec::lzx
